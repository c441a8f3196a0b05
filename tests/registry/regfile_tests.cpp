// The settings file: what it reads, what it refuses, what it writes, and how the
// file-backed registry treats the file on disk.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

#include "platform/unix/EmulatedRegistry.h"
#include "platform/unix/RegFile.h"
#include "support/TestFiles.h"

using namespace platform;

namespace {

const QByteArray kHeader = "Windows Registry Editor Version 5.00\n";

std::vector<std::uint8_t> bytes(const QByteArray& b)
{
    return std::vector<std::uint8_t>(b.begin(), b.end());
}

QByteArray sz(const QByteArray& text)
{
    QByteArray out = text;
    out.append('\0');
    return out;
}

// One key's values as "name=type:hex" lines, for readable comparisons.
QStringList describeKey(const RegHive& h, const char* path)
{
    const RegKey* k = hive::findKey(h, path);
    if (!k)
        return {QStringLiteral("<no key>")};
    QStringList out;
    for (const RegValue& v : k->values) {
        const QByteArray data(reinterpret_cast<const char*>(v.data.data()), static_cast<qsizetype>(v.data.size()));
        out << QStringLiteral("%1=%2:%3").arg(QString::fromStdString(v.name)).arg(v.type).arg(QString::fromLatin1(data.toHex()));
    }
    return out;
}

QString entry(const char* name, RegDword type, const QByteArray& data)
{
    return QStringLiteral("%1=%2:%3").arg(QLatin1String(name)).arg(type).arg(QString::fromLatin1(data.toHex()));
}

// Captures what the code under test writes to standard error.
class StderrCapture {
public:
    StderrCapture()
    {
        std::fflush(stderr);
        m_saved = ::dup(2);
        m_file = std::tmpfile();
        ::dup2(::fileno(m_file), 2);
    }
    ~StderrCapture() { restore(); }
    QByteArray text()
    {
        restore();
        std::rewind(m_file);
        QByteArray out;
        char buf[4096];
        std::size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, m_file)) > 0)
            out.append(buf, static_cast<qsizetype>(n));
        return out;
    }

private:
    void restore()
    {
        if (m_saved >= 0) {
            std::fflush(stderr);
            ::dup2(m_saved, 2);
            ::close(m_saved);
            m_saved = -1;
        }
    }
    int m_saved = -1;
    std::FILE* m_file = nullptr;
};

} // namespace

class TestRegFile final : public QObject {
    Q_OBJECT
private slots:
    void readsWhatAPersonMightWrite_data();
    void readsWhatAPersonMightWrite();
    void refusesDamage_data();
    void refusesDamage();
    void writesEveryValueBackExactly_data();
    void writesEveryValueBackExactly();
    void writesPlainTextsAsQuotedTexts();

    void fileIsPrivate();
    void damagedFileIsKeptAsideOnce();
    void leftoverTemporaryFilesAreRemoved();
    void hugeFileIsNotRead();
    void linkedFileStaysALink();
    void writeFailsWhereTheFolderCannotBeMade();
};

void TestRegFile::readsWhatAPersonMightWrite_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("values"); // of Software\Ardelon\Tovrin

    const QByteArray key = "[HKEY_CURRENT_USER\\Software\\Ardelon\\Tovrin]\n";
    QTest::newRow("as the program writes it")
        << kHeader + "\n" + key + "\"SplashScreen\"=\"1\"\n\"PlaceInTray\"=\"0\"\n\"Copy2Clip\"=\"True\"\n"
        << QStringList{entry("SplashScreen", 1, sz("1")), entry("PlaceInTray", 1, sz("0")), entry("Copy2Clip", 1, sz("True"))};
    QTest::newRow("CR LF, comments, blanks, indentation")
        << QByteArray("Windows Registry Editor Version 5.00\r\n\r\n; my settings\r\n  ;another\r\n"
                      "[HKEY_CURRENT_USER\\Software\\Ardelon\\Tovrin]\r\n\r\n   \"SplashScreen\" = \"1\"  \r\n")
        << QStringList{entry("SplashScreen", 1, sz("1"))};
    QTest::newRow("byte order mark")
        << "\xEF\xBB\xBF" + kHeader + key + "\"Copy2Clip\"=\"False\"\n" << QStringList{entry("Copy2Clip", 1, sz("False"))};
    QTest::newRow("escaped quotes and backslashes")
        << kHeader + key + "\"a\\\"b\"=\"c:\\\\dir\\\\\\\"x\\\"\"\n"
        << QStringList{entry("a\"b", 1, sz("c:\\dir\\\"x\""))};
    QTest::newRow("empty text is not absent") << kHeader + key + "\"Copy2Clip\"=\"\"\n"
                                               << QStringList{entry("Copy2Clip", 1, QByteArray(1, '\0'))};
    QTest::newRow("number types, binary, hex of any type")
        << kHeader + key
               + "\"D\"=dword:0000002A\n\"B\"=hex:00,ff,1\n\"S\"=hex(1):61,00,62\n\"E\"=hex(2):25,00\n\"N\"=hex(0):\n"
        << QStringList{entry("D", 4, QByteArray::fromHex("2a000000")), entry("B", 3, QByteArray::fromHex("00ff01")),
                       entry("S", 1, QByteArray::fromHex("610062")), entry("E", 2, QByteArray::fromHex("2500")),
                       entry("N", 0, QByteArray())};
    QTest::newRow("hex list continued over lines")
        << kHeader + key + "\"B\"=hex:01,02,\\\n  03,04,\\\r\n    05\n"
        << QStringList{entry("B", 3, QByteArray::fromHex("0102030405"))};
    QTest::newRow("keys and values in any order, one key twice")
        << kHeader + "[HKEY_CURRENT_USER\\Other]\n\"x\"=\"1\"\n" + key + "\"Copy2Clip\"=\"True\"\n"
               + "[HKEY_CURRENT_USER\\Other]\n\"y\"=\"2\"\n[hkey_current_user\\SOFTWARE\\ardelon\\tovrin]\n\"SplashScreen\"=\"0\"\n"
        << QStringList{entry("Copy2Clip", 1, sz("True")), entry("SplashScreen", 1, sz("0"))};
    QTest::newRow("a value given twice: the last one counts, under the first spelling")
        << kHeader + key + "\"Copy2Clip\"=\"True\"\n\"COPY2CLIP\"=\"False\"\n"
        << QStringList{entry("Copy2Clip", 1, sz("False"))};
    QTest::newRow("default value") << kHeader + key + "@=\"d\"\n" << QStringList{entry("", 1, sz("d"))};
    QTest::newRow("UTF-8 text") << kHeader + key + "\"T\"=\"grüße\"\n" << QStringList{entry("T", 1, sz("grüße"))};
    QTest::newRow("header only") << kHeader << QStringList{QStringLiteral("<no key>")};
}

void TestRegFile::readsWhatAPersonMightWrite()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, values);
    const std::optional<RegHive> h = regfile::parse(file.toStdString());
    QVERIFY(h);
    QCOMPARE(describeKey(*h, "Software\\Ardelon\\Tovrin"), values);
}

void TestRegFile::refusesDamage_data()
{
    QTest::addColumn<QByteArray>("file");
    const QByteArray key = "[HKEY_CURRENT_USER\\Software\\Ardelon\\Tovrin]\n";
    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("no header") << key + "\"SplashScreen\"=\"1\"\n";
    QTest::newRow("other header") << "REGEDIT5\n" + key;
    QTest::newRow("garbage") << QByteArray("this is not a settings file\nat all\n");
    QTest::newRow("binary") << QByteArray::fromHex("00ff7f454c4602010100000000000000");
    QTest::newRow("truncated in a text") << kHeader + key + "\"SplashScreen\"=\"1";
    QTest::newRow("truncated in a name") << kHeader + key + "\"Splash";
    QTest::newRow("truncated in a key") << kHeader + "[HKEY_CURRENT_USER\\Softw";
    QTest::newRow("ends inside a continued list") << kHeader + key + "\"B\"=hex:01,\\\n";
    QTest::newRow("value before any key") << kHeader + "\"SplashScreen\"=\"1\"\n";
    QTest::newRow("another root") << kHeader + "[HKEY_LOCAL_MACHINE\\Software]\n";
    QTest::newRow("deleting a key") << kHeader + "[-HKEY_CURRENT_USER\\Software\\Ardelon]\n";
    QTest::newRow("deleting a value") << kHeader + key + "\"SplashScreen\"=-\n";
    QTest::newRow("unknown escape") << kHeader + key + "\"a\"=\"\\n\"\n";
    QTest::newRow("junk after a text") << kHeader + key + "\"a\"=\"1\" 2\n";
    QTest::newRow("dword too long") << kHeader + key + "\"a\"=dword:000000001\n";
    QTest::newRow("dword not hex") << kHeader + key + "\"a\"=dword:0000000g\n";
    QTest::newRow("trailing comma") << kHeader + key + "\"a\"=hex:01,\n";
    QTest::newRow("three-digit byte") << kHeader + key + "\"a\"=hex:100\n";
    QTest::newRow("no equals sign") << kHeader + key + "\"a\" \"1\"\n";
    QTest::newRow("empty quoted name") << kHeader + key + "\"\"=\"1\"\n";
    QTest::newRow("leading backslash in a key") << kHeader + "[HKEY_CURRENT_USER\\\\Software]\n";
}

void TestRegFile::refusesDamage()
{
    QFETCH(QByteArray, file);
    QVERIFY(!regfile::parse(file.toStdString()));
}

void TestRegFile::writesEveryValueBackExactly_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("data");
    QTest::newRow("text") << 1 << sz("True");
    QTest::newRow("text without NUL") << 1 << QByteArray("abc");
    QTest::newRow("text with NUL inside") << 1 << QByteArray("1\0" "23\0", 5);
    QTest::newRow("text of no bytes") << 1 << QByteArray();
    QTest::newRow("empty text") << 1 << QByteArray(1, '\0');
    QTest::newRow("quotes and backslashes") << 1 << sz("\"\\\\\"");
    QTest::newRow("line breaks") << 1 << sz("a\r\nb");
    QTest::newRow("not UTF-8") << 1 << sz("\xe9t\xe9");
    QTest::newRow("UTF-8") << 1 << sz("日本");
    QTest::newRow("expandable") << 2 << sz("%TEMP%");
    QTest::newRow("dword") << 4 << QByteArray::fromHex("01000000");
    QTest::newRow("short dword") << 4 << QByteArray::fromHex("0100");
    QTest::newRow("binary, long") << 3 << QByteArray(300, '\x5c');
    QTest::newRow("unknown type") << 0x63 << QByteArray("xy");
}

void TestRegFile::writesEveryValueBackExactly()
{
    QFETCH(int, type);
    QFETCH(QByteArray, data);
    RegHive h;
    hive::setValue(hive::ensureKey(h, "Software\\Ardelon\\Tovrin"), "Value", static_cast<RegDword>(type), bytes(data));
    hive::setValue(hive::ensureKey(h, "Software\\Ardelon\\Tovrin"), "", static_cast<RegDword>(type), bytes(data));
    const std::string text = regfile::serialize(h);
    const std::optional<RegHive> back = regfile::parse(text);
    QVERIFY2(back, text.c_str());
    QVERIFY2(*back == h, text.c_str());
}

void TestRegFile::writesPlainTextsAsQuotedTexts()
{
    RegHive h;
    RegKey& k = hive::ensureKey(h, "Software\\Ardelon\\Tovrin");
    hive::setValue(k, "SplashScreen", kRegSz, bytes(sz("1")));
    hive::setValue(k, "Copy2Clip", kRegSz, bytes(sz("True")));
    hive::setValue(k, "Count", kRegDword, bytes(QByteArray::fromHex("2a000000")));
    QCOMPARE(QByteArray::fromStdString(regfile::serialize(h)),
             kHeader + "\n[HKEY_CURRENT_USER\\Software\\Ardelon\\Tovrin]\n\"SplashScreen\"=\"1\"\n"
                 "\"Copy2Clip\"=\"True\"\n\"Count\"=dword:0000002a\n");
}

namespace {

RegStatus writeText(Registry& reg, const char* name, const char* text)
{
    RegHandle key = 0;
    reg.RegCreateKeyA(kHkeyCurrentUser, "Software\\Ardelon\\Tovrin", &key);
    const RegStatus s = reg.RegSetValueExA(key, name, 0, kRegSz, reinterpret_cast<const std::uint8_t*>(text),
                                           static_cast<RegDword>(std::strlen(text) + 1));
    reg.RegCloseKey(key);
    return s;
}

RegStatus querySize(Registry& reg, const char* name, RegDword* size)
{
    RegHandle key = 0;
    const RegStatus opened = reg.RegOpenKeyA(kHkeyCurrentUser, "Software\\Ardelon\\Tovrin", &key);
    if (opened != kErrorSuccess)
        return opened;
    const RegStatus s = reg.RegQueryValueExA(key, name, nullptr, nullptr, nullptr, size);
    reg.RegCloseKey(key);
    return s;
}

QStringList folderEntries(const QString& dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

} // namespace

void TestRegFile::fileIsPrivate()
{
    QTemporaryDir dir;
    const QString file = dir.filePath("Ardelon/Tovrin.reg");
    ::umask(022);
    EmulatedRegistry reg(file.toStdString());
    QCOMPARE(writeText(reg, "SplashScreen", "1"), kErrorSuccess);
    struct stat st {};
    QCOMPARE(::stat(file.toLocal8Bit().constData(), &st), 0);
    QCOMPARE(st.st_mode & 0777, 0600u);
    QCOMPARE(::stat(dir.filePath("Ardelon").toLocal8Bit().constData(), &st), 0);
    QCOMPARE(st.st_mode & 0777, 0700u);
    QCOMPARE(folderEntries(dir.filePath("Ardelon")), (QStringList{"Tovrin.reg", "Tovrin.reg.lock"}));
}

void TestRegFile::damagedFileIsKeptAsideOnce()
{
    QTemporaryDir dir;
    const QString file = dir.filePath("Ardelon/Tovrin.reg");
    const QByteArray damage = kHeader + "[HKEY_CURRENT_USER\\Software\\Ardelon\\Tovrin]\n\"SplashScreen\"=\"1";
    writeFile(file, damage);
    EmulatedRegistry reg(file.toStdString());

    RegDword size = 0;
    QCOMPARE(querySize(reg, "SplashScreen", &size), kErrorFileNotFound);
    QCOMPARE(readAll(file), damage); // reading never touches it

    StderrCapture capture;
    QCOMPARE(writeText(reg, "PlaceInTray", "0"), kErrorSuccess);
    QCOMPARE(writeText(reg, "Copy2Clip", "True"), kErrorSuccess);
    const QByteArray messages = capture.text();

    const QStringList aside = QDir(dir.filePath("Ardelon")).entryList({"Tovrin.reg.damaged-*"}, QDir::Files);
    QCOMPARE(aside.size(), 1);
    QCOMPARE(readAll(dir.filePath("Ardelon/" + aside.first())), damage);
    QCOMPARE(messages.count('\n'), 1);
    QVERIFY(messages.contains(aside.first().toLocal8Bit()));
    const std::optional<RegHive> clean = regfile::parse(readAll(file).toStdString());
    QVERIFY(clean);
    QCOMPARE(describeKey(*clean, "Software\\Ardelon\\Tovrin"),
             (QStringList{entry("PlaceInTray", 1, sz("0")), entry("Copy2Clip", 1, sz("True"))}));

    // A second damage in the same second is kept as well, not written over the first.
    writeFile(file, "garbage");
    QCOMPARE(writeText(reg, "Copy2Clip", "False"), kErrorSuccess);
    QCOMPARE(QDir(dir.filePath("Ardelon")).entryList({"Tovrin.reg.damaged-*"}, QDir::Files).size(), 2);
}

void TestRegFile::leftoverTemporaryFilesAreRemoved()
{
    QTemporaryDir dir;
    const QString file = dir.filePath("Ardelon/Tovrin.reg");
    EmulatedRegistry reg(file.toStdString());
    QCOMPARE(writeText(reg, "SplashScreen", "1"), kErrorSuccess);
    writeFile(dir.filePath("Ardelon/Tovrin.reg.tmp-a1B2c3"), "half a file");
    writeFile(dir.filePath("Ardelon/Tovrin.reg.backup"), "the user's own copy");
    QCOMPARE(writeText(reg, "SplashScreen", "0"), kErrorSuccess);
    QCOMPARE(folderEntries(dir.filePath("Ardelon")), (QStringList{"Tovrin.reg", "Tovrin.reg.backup", "Tovrin.reg.lock"}));
}

void TestRegFile::hugeFileIsNotRead()
{
    QTemporaryDir dir;
    const QString file = dir.filePath("Ardelon/Tovrin.reg");
    // Valid all through, just too large: over the limit is damage, whatever it holds.
    QByteArray content = kHeader + "[HKEY_CURRENT_USER\\Software\\Ardelon\\Tovrin]\n\"SplashScreen\"=\"1\"\n";
    content += QByteArray(static_cast<qsizetype>(regfile::kMaxFileSize), ';');
    writeFile(file, content);
    EmulatedRegistry reg(file.toStdString());
    RegDword size = 0;
    QCOMPARE(querySize(reg, "SplashScreen", &size), kErrorFileNotFound);
}

void TestRegFile::linkedFileStaysALink()
{
    QTemporaryDir dir;
    const QString real = dir.filePath("dotfiles/Tovrin.reg");
    writeFile(real, kHeader + "[HKEY_CURRENT_USER\\Software\\Ardelon\\Tovrin]\n\"SplashScreen\"=\"1\"\n");
    QVERIFY(QDir().mkpath(dir.filePath("config/Ardelon")));
    const QString link = dir.filePath("config/Ardelon/Tovrin.reg");
    QVERIFY(QFile::link(real, link));
    EmulatedRegistry reg(link.toStdString());
    RegDword size = 0;
    QCOMPARE(querySize(reg, "SplashScreen", &size), kErrorSuccess);
    QCOMPARE(writeText(reg, "PlaceInTray", "0"), kErrorSuccess);
    QVERIFY(QFileInfo(link).isSymLink());
    const std::optional<RegHive> h = regfile::parse(readAll(real).toStdString());
    QVERIFY(h);
    QCOMPARE(describeKey(*h, "Software\\Ardelon\\Tovrin"),
             (QStringList{entry("SplashScreen", 1, sz("1")), entry("PlaceInTray", 1, sz("0"))}));
}

void TestRegFile::writeFailsWhereTheFolderCannotBeMade()
{
    QTemporaryDir dir;
    writeFile(dir.filePath("config"), "a file where the folder should be");
    EmulatedRegistry reg(dir.filePath("config/Ardelon/Tovrin.reg").toStdString());
    RegHandle key = 0x1234;
    QVERIFY(reg.RegCreateKeyA(kHkeyCurrentUser, "Software\\Ardelon\\Tovrin", &key) != kErrorSuccess);
    QCOMPARE(key, RegHandle(0));
    // Keys that every hive has can still be opened, and nothing else appears.
    QCOMPARE(reg.RegOpenKeyA(kHkeyCurrentUser, "Software", &key), kErrorSuccess);
    QVERIFY(reg.RegSetValueExA(key, "x", 0, kRegSz, reinterpret_cast<const std::uint8_t*>("1"), 2) != kErrorSuccess);
    QCOMPARE(reg.RegCloseKey(key), kErrorSuccess);
    QCOMPARE(readAll(dir.filePath("config")), QByteArray("a file where the folder should be"));
}

QTEST_GUILESS_MAIN(TestRegFile)
#include "regfile_tests.moc"
