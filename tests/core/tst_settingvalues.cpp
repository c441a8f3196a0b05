#include <QtTest>

#include "core/SettingValues.h"
#include "core/Settings.h"
#include "doubles/FakeRegistry.h"

using namespace platform;
using namespace platform::fakes;
using Kind = RegCall::Kind;

namespace {

const QString kPath = QString::fromLatin1(kSettingsPath);

QByteArray withNul(const QByteArray& text)
{
    QByteArray out = text;
    out.append('\0');
    return out;
}

QStringList kinds(const QList<RegCall>& calls)
{
    static const char* names[] = {"open", "create", "query", "set", "close"};
    QStringList out;
    for (const RegCall& c : calls)
        out << QStringLiteral("%1 %2").arg(QLatin1String(names[int(c.kind)]), c.name);
    return out;
}

} // namespace

Q_DECLARE_METATYPE(std::optional<QString>)

class TestSettingValues : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        m_registry = std::make_shared<FakeRegistry>();
        m_reg = m_registry.get();
    }
    void cleanup() { m_registry.reset(); }

    void readsWhatIsStored_data();
    void readsWhatIsStored();
    void readOpensQueriesTwiceAndCloses();
    void readOfMissingKeyCreatesNothing();
    void writeStoresTerminatedText_data();
    void writeStoresTerminatedText();
    void writeCreatesTheWholePathAndClosesIt();
    void writeLeavesOtherValuesAlone();
    void failedWriteIsSilent();
    void trimsAtFirstNul_data();
    void trimsAtFirstNul();
    void checkSetting_data();
    void checkSetting();
    void truthSetting_data();
    void truthSetting();
    void storedTextsRoundTrip();
    void noRegistryReadsAbsent();

private:
    std::shared_ptr<FakeRegistry> m_registry;
    FakeRegistry* m_reg = nullptr;
};

void TestSettingValues::readsWhatIsStored_data()
{
    QTest::addColumn<bool>("store");
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<std::optional<QString>>("expected");

    const std::optional<QString> absent;
    QTest::newRow("no value") << false << 0 << QByteArray() << absent;
    QTest::newRow("terminated") << true << 1 << withNul("True") << std::optional<QString>("True");
    QTest::newRow("not terminated") << true << 1 << QByteArray("True") << std::optional<QString>("True");
    QTest::newRow("NUL inside") << true << 1 << QByteArray("1\0" "23\0", 5) << std::optional<QString>("1");
    QTest::newRow("empty is not absent") << true << 1 << QByteArray(1, '\0') << std::optional<QString>("");
    QTest::newRow("no bytes is empty") << true << 1 << QByteArray() << std::optional<QString>("");
    QTest::newRow("REG_DWORD") << true << 4 << QByteArray::fromHex("01000000") << absent;
    QTest::newRow("REG_EXPAND_SZ") << true << 2 << withNul("1") << absent;
    QTest::newRow("REG_BINARY") << true << 3 << QByteArray("1") << absent;
    QTest::newRow("NUL beyond 32767")
        << true << 1 << QByteArray(40000, 'x') + QByteArray("\0tail", 5) << std::optional<QString>(QString(40000, 'x'));
    QTest::newRow("long text without NUL") << true << 1 << QByteArray(70000, 'y') << std::optional<QString>(QString(70000, 'y'));
    QTest::newRow("UTF-8 text") << true << 1 << withNul("grüße") << std::optional<QString>(QStringLiteral("grüße"));
    // On Windows too: the program's code page is UTF-8, so a full-width digit that
    // another program stored is never taken for an ASCII one.
    QTest::newRow("beyond every 8-bit code page")
        << true << 1 << withNul("１ ω 東") << std::optional<QString>(QStringLiteral("１ ω 東"));
}

void TestSettingValues::readsWhatIsStored()
{
    QFETCH(bool, store);
    QFETCH(int, type);
    QFETCH(QByteArray, data);
    QFETCH(std::optional<QString>, expected);
    m_reg->putString(kPath, "Other", "x"); // the key exists either way
    if (store)
        m_reg->putValue(kPath, "Copy2Clip", static_cast<RegDword>(type), data);
    QCOMPARE(readSettingValue(m_reg, kSettingsRoot, kPath, "Copy2Clip"), expected);
}

void TestSettingValues::readOpensQueriesTwiceAndCloses()
{
    m_reg->putString(kPath, "PlaceInTray", "1");
    QCOMPARE(readSettingValue(m_reg, kSettingsRoot, kPath, "PlaceInTray"), std::optional<QString>("1"));
    QCOMPARE(kinds(m_reg->calls), (QStringList{"open Software\\Ardelon\\Tovrin", "query PlaceInTray",
                                              "query PlaceInTray", "close "}));
    QVERIFY(!m_reg->calls[1].withData); // the first query only asks for the size
    QVERIFY(m_reg->calls[2].withData);
    QCOMPARE(m_reg->openHandles, 0);
}

void TestSettingValues::readOfMissingKeyCreatesNothing()
{
    QCOMPARE(readSettingValue(m_reg, kSettingsRoot, kPath, "SplashScreen"), std::optional<QString>());
    QCOMPARE(kinds(m_reg->calls), (QStringList{"open Software\\Ardelon\\Tovrin", "query SplashScreen", "close "}));
    QCOMPARE(m_reg->calls[0].status, kErrorFileNotFound);
    QCOMPARE(m_reg->calls[1].status, kErrorInvalidHandle);
    QCOMPARE(m_reg->calls[2].status, kErrorInvalidHandle);
    QVERIFY(!m_reg->keyExists("Software\\Ardelon"));
}

void TestSettingValues::writeStoresTerminatedText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("stored");
    QTest::newRow("digit") << "1" << withNul("1");
    QTest::newRow("truth") << "False" << withNul("False");
    QTest::newRow("empty") << "" << QByteArray(1, '\0');
    QTest::newRow("non-ASCII") << QStringLiteral("ä") << withNul("ä");
    QTest::newRow("beyond every 8-bit code page") << QStringLiteral("１ ω 東") << withNul("１ ω 東");
}

void TestSettingValues::writeStoresTerminatedText()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, stored);
    writeSettingValue(m_reg, kSettingsRoot, kPath, "SplashScreen", text);
    const std::optional<RegValue> v = m_reg->value(kPath, "SplashScreen");
    QVERIFY(v);
    QCOMPARE(v->type, kRegSz);
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(v->data.data()), qsizetype(v->data.size())), stored);
    QCOMPARE(readSettingValue(m_reg, kSettingsRoot, kPath, "SplashScreen"), std::optional<QString>(text));
}

void TestSettingValues::writeCreatesTheWholePathAndClosesIt()
{
    writeSettingValue(m_reg, kSettingsRoot, kPath, "Copy2Clip", "True");
    QCOMPARE(kinds(m_reg->calls), (QStringList{"create Software\\Ardelon\\Tovrin", "set Copy2Clip", "close "}));
    for (const RegCall& c : m_reg->calls)
        QCOMPARE(c.status, kErrorSuccess);
    QVERIFY(m_reg->keyExists("Software\\Ardelon"));
    QCOMPARE(m_reg->openHandles, 0);
}

void TestSettingValues::writeLeavesOtherValuesAlone()
{
    m_reg->putString(kPath, "SplashScreen", "1");
    m_reg->putValue(kPath, "Other", kRegDword, QByteArray::fromHex("07000000"));
    writeSettingValue(m_reg, kSettingsRoot, kPath, "PlaceInTray", "0");
    QCOMPARE(m_reg->text(kPath, "SplashScreen"), std::optional<QString>("1"));
    QCOMPARE(m_reg->value(kPath, "Other")->type, kRegDword);
    QCOMPARE(m_reg->text(kPath, "PlaceInTray"), std::optional<QString>("0"));
}

void TestSettingValues::failedWriteIsSilent()
{
    m_reg->failWrites = true;
    writeSettingValue(m_reg, kSettingsRoot, kPath, "Copy2Clip", "True");
    QCOMPARE(kinds(m_reg->calls), (QStringList{"create Software\\Ardelon\\Tovrin", "set Copy2Clip", "close "}));
    QVERIFY(m_reg->calls[0].status != kErrorSuccess);
    QCOMPARE(readSettingValue(m_reg, kSettingsRoot, kPath, "Copy2Clip"), std::optional<QString>());
}

void TestSettingValues::trimsAtFirstNul_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("none") << "abc" << "abc";
    QTest::newRow("first") << QString(QChar(0)) + "abc" << "";
    QTest::newRow("last") << "abc" + QString(QChar(0)) << "abc";
    QTest::newRow("two") << "a" + QString(QChar(0)) + "b" + QString(QChar(0)) << "a";
    QTest::newRow("empty") << "" << "";
    QTest::newRow("at 40000") << QString(40000, 'x') + QChar(0) + "y" << QString(40000, 'x');
}

void TestSettingValues::trimsAtFirstNul()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(trimAtNul(text), expected);
}

void TestSettingValues::checkSetting_data()
{
    QTest::addColumn<std::optional<QString>>("stored");
    QTest::addColumn<int>("expected"); // -1: treated as absent
    QTest::newRow("1") << std::optional<QString>("1") << 1;
    QTest::newRow("0") << std::optional<QString>("0") << 0;
    QTest::newRow("absent") << std::optional<QString>() << -1;
    QTest::newRow("2") << std::optional<QString>("2") << -1;
    QTest::newRow("-1") << std::optional<QString>("-1") << -1;
    QTest::newRow("empty") << std::optional<QString>("") << -1;
    QTest::newRow("yes") << std::optional<QString>("yes") << -1;
    QTest::newRow("leading blank") << std::optional<QString>(" 1") << -1;
    QTest::newRow("trailing blank") << std::optional<QString>("1 ") << -1;
    QTest::newRow("01") << std::optional<QString>("01") << -1;
    QTest::newRow("True") << std::optional<QString>("True") << -1;
    QTest::newRow("full-width one") << std::optional<QString>(QStringLiteral("１")) << -1;
}

void TestSettingValues::checkSetting()
{
    QFETCH(std::optional<QString>, stored);
    QFETCH(int, expected);
    const std::optional<bool> value = checkSettingValue(stored);
    QCOMPARE(value.has_value() ? int(*value) : -1, expected);
}

void TestSettingValues::truthSetting_data()
{
    QTest::addColumn<std::optional<QString>>("stored");
    QTest::addColumn<int>("expected"); // -1: treated as absent
    QTest::newRow("True") << std::optional<QString>("True") << 1;
    QTest::newRow("False") << std::optional<QString>("False") << 0;
    QTest::newRow("absent") << std::optional<QString>() << -1;
    QTest::newRow("true") << std::optional<QString>("true") << -1;
    QTest::newRow("TRUE") << std::optional<QString>("TRUE") << -1;
    QTest::newRow("1") << std::optional<QString>("1") << -1;
    QTest::newRow("-1") << std::optional<QString>("-1") << -1;
    QTest::newRow("empty") << std::optional<QString>("") << -1;
    QTest::newRow("blank") << std::optional<QString>(" True") << -1;
    QTest::newRow("yes") << std::optional<QString>("yes") << -1;
}

void TestSettingValues::truthSetting()
{
    QFETCH(std::optional<QString>, stored);
    QFETCH(int, expected);
    const std::optional<bool> value = truthSettingValue(stored);
    QCOMPARE(value.has_value() ? int(*value) : -1, expected);
}

void TestSettingValues::storedTextsRoundTrip()
{
    QCOMPARE(settingFromCheck(true), QStringLiteral("1"));
    QCOMPARE(settingFromCheck(false), QStringLiteral("0"));
    QCOMPARE(settingFromTruth(true), QStringLiteral("True"));
    QCOMPARE(settingFromTruth(false), QStringLiteral("False"));
    for (bool b : {true, false}) {
        QCOMPARE(checkSettingValue(settingFromCheck(b)), std::optional<bool>(b));
        QCOMPARE(truthSettingValue(settingFromTruth(b)), std::optional<bool>(b));
    }
}

void TestSettingValues::noRegistryReadsAbsent()
{
    writeSettingValue(nullptr, kSettingsRoot, kPath, "Copy2Clip", "True");
    QCOMPARE(readSettingValue(nullptr, kSettingsRoot, kPath, "Copy2Clip"), std::optional<QString>());
}

QTEST_MAIN(TestSettingValues)
#include "tst_settingvalues.moc"
