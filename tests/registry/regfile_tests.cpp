// The settings file: what it reads, what it refuses, what it writes, and how the
// file-backed registry treats the file on disk.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/inotify.h>
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
    void linkedFileStaysALink_data();
    void linkedFileStaysALink();
    void writeFailsWhereTheFolderCannotBeMade();
    void fileIsReadOncePerVersion_data();
    void fileIsReadOncePerVersion();
    void groupedChangeIsOneReplace_data();
    void groupedChangeIsOneReplace();
    void groupedChangeKeepsWhatAnotherCopyStored();
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

// What happened to one file name in a folder, as the kernel reports it: whether its
// content was read, how often a file was renamed onto it.
class FolderWatch {
public:
    FolderWatch(const QString& dir, const QString& name)
        : m_fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
        , m_name(QFile::encodeName(name))
    {
        if (m_fd >= 0)
            ::inotify_add_watch(m_fd, QFile::encodeName(dir).constData(), IN_ACCESS | IN_MOVED_TO);
    }
    ~FolderWatch()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool works() const { return m_fd >= 0; }

    struct Seen {
        bool read = false;
        int replaced = 0;
    };
    // Since the last call. Reading the events one call at a time keeps the kernel from
    // merging the reads of two calls into one.
    Seen take()
    {
        Seen seen;
        alignas(inotify_event) char buffer[8192];
        ssize_t n;
        while ((n = ::read(m_fd, buffer, sizeof buffer)) > 0) {
            for (char* p = buffer; p < buffer + n;) {
                const auto* e = reinterpret_cast<const inotify_event*>(p);
                if (e->len && QByteArray(e->name) == m_name) {
                    seen.read = seen.read || (e->mask & IN_ACCESS);
                    seen.replaced += (e->mask & IN_MOVED_TO) ? 1 : 0;
                }
                p += sizeof(inotify_event) + e->len;
            }
        }
        return seen;
    }

private:
    int m_fd;
    QByteArray m_name;
};

// The settings as the program reads them at start-up: each value opened, sized, read, closed.
QString readSettings(Registry& reg)
{
    QStringList out;
    for (const char* name : {"SplashScreen", "PlaceInTray", "Copy2Clip"}) {
        RegHandle key = 0;
        reg.RegOpenKeyA(kHkeyCurrentUser, "Software\\Ardelon\\Tovrin", &key);
        RegDword size = 0;
        QByteArray text;
        if (reg.RegQueryValueExA(key, name, nullptr, nullptr, nullptr, &size) == kErrorSuccess) {
            text.resize(size);
            if (reg.RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<std::uint8_t*>(text.data()), &size)
                != kErrorSuccess)
                text.clear();
        }
        reg.RegCloseKey(key);
        out << QString::fromUtf8(text.constData());
    }
    return out.join(',');
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

void TestRegFile::linkedFileStaysALink_data()
{
    QTest::addColumn<QString>("link");     // what the settings path points to, as written in the link
    QTest::addColumn<QString>("via");      // a second link on the way ("" for none), as written
    QTest::addColumn<QString>("resolved"); // the file that ends up holding the settings
    QTest::addColumn<bool>("exists");

    QTest::newRow("link to a file") << "%1/dotfiles/Tovrin.reg" << "" << "dotfiles/Tovrin.reg" << true;
    QTest::newRow("relative link to a file") << "../../dotfiles/Tovrin.reg" << "" << "dotfiles/Tovrin.reg" << true;
    QTest::newRow("dangling link") << "%1/dotfiles/Tovrin.reg" << "" << "dotfiles/Tovrin.reg" << false;
    QTest::newRow("relative dangling link") << "../../dotfiles/Tovrin.reg" << "" << "dotfiles/Tovrin.reg" << false;
    QTest::newRow("dangling link into a missing folder") << "%1/new/folder/Tovrin.reg" << "" << "new/folder/Tovrin.reg"
                                                         << false;
    QTest::newRow("link to a dangling link") << "%1/dotfiles/current.reg" << "Tovrin.reg" << "dotfiles/Tovrin.reg"
                                             << false;
}

void TestRegFile::linkedFileStaysALink()
{
    QFETCH(QString, link);
    QFETCH(QString, via);
    QFETCH(QString, resolved);
    QFETCH(bool, exists);
    QTemporaryDir dir;
    QVERIFY(QDir().mkpath(dir.filePath("dotfiles")));
    QVERIFY(QDir().mkpath(dir.filePath("config/Ardelon")));
    const QString real = dir.filePath(resolved);
    if (exists)
        writeFile(real, kHeader + "[HKEY_CURRENT_USER\\Software\\Ardelon\\Tovrin]\n\"SplashScreen\"=\"1\"\n");
    const QString settings = dir.filePath("config/Ardelon/Tovrin.reg");
    const QByteArray linkText = QFile::encodeName(link.contains("%1") ? link.arg(dir.path()) : link);
    QCOMPARE(::symlink(linkText.constData(), QFile::encodeName(settings).constData()), 0);
    const QByteArray viaText = QFile::encodeName(via);
    if (!via.isEmpty())
        QCOMPARE(::symlink(viaText.constData(), QFile::encodeName(dir.filePath("dotfiles/current.reg")).constData()), 0);

    EmulatedRegistry reg(settings.toStdString());
    RegDword size = 0;
    QCOMPARE(querySize(reg, "SplashScreen", &size), exists ? kErrorSuccess : kErrorFileNotFound);
    QCOMPARE(writeText(reg, "PlaceInTray", "0"), kErrorSuccess);

    // Both links are still the links they were, and the file at the end holds the settings.
    char text[4096] = {};
    QCOMPARE(::readlink(QFile::encodeName(settings).constData(), text, sizeof text - 1), linkText.size());
    QCOMPARE(QByteArray(text), linkText);
    if (!via.isEmpty()) {
        QVERIFY(QFileInfo(dir.filePath("dotfiles/current.reg")).isSymLink());
        QCOMPARE(QFile::symLinkTarget(dir.filePath("dotfiles/current.reg")), real);
    }
    QVERIFY(!QFileInfo(real).isSymLink());
    const std::optional<RegHive> h = regfile::parse(readAll(real).toStdString());
    QVERIFY(h);
    QStringList expected = {entry("PlaceInTray", 1, sz("0"))};
    if (exists)
        expected.prepend(entry("SplashScreen", 1, sz("1")));
    QCOMPARE(describeKey(*h, "Software\\Ardelon\\Tovrin"), expected);
    // The lock is beside the file itself, where a copy going through any other link finds it.
    QCOMPARE(folderEntries(dir.filePath("config/Ardelon")), QStringList{"Tovrin.reg"});
    QVERIFY(QFileInfo::exists(real + ".lock"));
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

void TestRegFile::fileIsReadOncePerVersion_data()
{
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("reads"); // per step: 1 read the file, 0 did not, - not the registry's step

    // r: the program reads its three settings; w: it stores one; o: another program
    // replaces the file; t: the file's time stamp changes.
    QTest::newRow("three reads") << "rrr" << "100";
    QTest::newRow("replaced by another program in between") << "ror" << "1-1";
    QTest::newRow("time stamp changed in between") << "rtr" << "1-1";
    QTest::newRow("what it wrote itself is not read back") << "wrr" << "100";
    QTest::newRow("read, write, read") << "rwr" << "100";
}

void TestRegFile::fileIsReadOncePerVersion()
{
    QFETCH(QString, steps);
    QFETCH(QString, reads);
    QTemporaryDir dir;
    const QString file = dir.filePath("Ardelon/Tovrin.reg");
    // As large as a file may be: parsing it costs, a stat does not.
    auto content = [](char splash) {
        QByteArray text = kHeader + "[HKEY_CURRENT_USER\\Software\\Ardelon\\Tovrin]\n\"SplashScreen\"=\"" + splash
            + "\"\n\"PlaceInTray\"=\"1\"\n\"Copy2Clip\"=\"True\"\n";
        const QByteArray comment = "; " + QByteArray(1000, 'x') + "\n";
        while (text.size() + comment.size() <= static_cast<qsizetype>(regfile::kMaxFileSize))
            text += comment;
        return text;
    };
    writeFile(file, content('0'));
    FolderWatch watch(dir.filePath("Ardelon"), "Tovrin.reg");
    if (!watch.works())
        QSKIP("no inotify here to see the file being read");
    EmulatedRegistry reg(file.toStdString());

    char splash = '0';
    QString seen;
    for (const QChar step : steps) {
        watch.take();
        if (step == 'r') {
            QCOMPARE(readSettings(reg), QStringLiteral("%1,1,True").arg(splash));
        } else if (step == 'w') {
            splash = splash == '0' ? '1' : '0';
            const char text[] = {splash, 0};
            QCOMPARE(writeText(reg, "SplashScreen", text), kErrorSuccess);
        } else if (step == 'o') {
            splash = splash == '0' ? '1' : '0';
            writeFile(file + ".other", content(splash));
            QCOMPARE(::rename(QFile::encodeName(file + ".other").constData(), QFile::encodeName(file).constData()), 0);
        } else if (step == 't') {
            const timespec times[2] = {{0, UTIME_OMIT}, {12345, 0}};
            QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(file).constData(), times, 0), 0);
        }
        seen += (step == 'r' || step == 'w') ? QChar(watch.take().read ? '1' : '0') : QChar('-');
    }
    QCOMPARE(seen, reads);
}

void TestRegFile::groupedChangeIsOneReplace_data()
{
    QTest::addColumn<bool>("grouped");
    QTest::addColumn<QStringList>("values");
    QTest::addColumn<int>("replaces");

    const QStringList three = {"SplashScreen", "PlaceInTray", "Copy2Clip"};
    QTest::newRow("three values, one change") << true << three << 1;
    QTest::newRow("three values, one by one") << false << three << 3;
    QTest::newRow("a group that changes nothing") << true << QStringList() << 0;
}

void TestRegFile::groupedChangeIsOneReplace()
{
    QFETCH(bool, grouped);
    QFETCH(QStringList, values);
    QFETCH(int, replaces);
    QTemporaryDir dir;
    const QString file = dir.filePath("Ardelon/Tovrin.reg");
    const QByteArray before = kHeader + "[HKEY_CURRENT_USER\\Software\\Ardelon\\Tovrin]\n\"Other\"=\"kept\"\n";
    writeFile(file, before);
    FolderWatch watch(dir.filePath("Ardelon"), "Tovrin.reg");
    if (!watch.works())
        QSKIP("no inotify here to count replaces");
    EmulatedRegistry reg(file.toStdString());
    EmulatedRegistry otherCopy(file.toStdString());

    if (grouped)
        reg.beginChanges();
    for (const QString& name : values)
        QCOMPARE(writeText(reg, name.toLatin1().constData(), "new"), kErrorSuccess);
    if (grouped) {
        // Seen at once by this copy, by no one else until it is committed.
        for (const QString& name : values) {
            RegDword size = 0;
            QCOMPARE(querySize(reg, name.toLatin1().constData(), &size), kErrorSuccess);
            QCOMPARE(size, RegDword(4));
            QCOMPARE(querySize(otherCopy, name.toLatin1().constData(), &size), kErrorFileNotFound);
        }
        QCOMPARE(readAll(file), before);
        QCOMPARE(reg.commitChanges(), kErrorSuccess);
    }
    QCOMPARE(watch.take().replaced, replaces);
    const std::optional<RegHive> h = regfile::parse(readAll(file).toStdString());
    QVERIFY(h);
    QStringList expected = {entry("Other", 1, sz("kept"))};
    for (const QString& name : values)
        expected << entry(name.toLatin1().constData(), 1, sz("new"));
    QCOMPARE(describeKey(*h, "Software\\Ardelon\\Tovrin"), expected);
}

void TestRegFile::groupedChangeKeepsWhatAnotherCopyStored()
{
    // The group is applied to the file as it is when committed, not as it was at the start.
    QTemporaryDir dir;
    const QString file = dir.filePath("Ardelon/Tovrin.reg");
    EmulatedRegistry reg(file.toStdString());
    EmulatedRegistry otherCopy(file.toStdString());
    QCOMPARE(writeText(reg, "SplashScreen", "0"), kErrorSuccess);
    reg.beginChanges();
    QCOMPARE(writeText(reg, "SplashScreen", "1"), kErrorSuccess);
    QCOMPARE(writeText(otherCopy, "PlaceInTray", "1"), kErrorSuccess);
    QCOMPARE(writeText(reg, "Copy2Clip", "True"), kErrorSuccess);
    QCOMPARE(reg.commitChanges(), kErrorSuccess);
    const std::optional<RegHive> h = regfile::parse(readAll(file).toStdString());
    QVERIFY(h);
    QCOMPARE(describeKey(*h, "Software\\Ardelon\\Tovrin"),
             (QStringList{entry("SplashScreen", 1, sz("1")), entry("PlaceInTray", 1, sz("1")),
                          entry("Copy2Clip", 1, sz("True"))}));
}

QTEST_GUILESS_MAIN(TestRegFile)
#include "regfile_tests.moc"
