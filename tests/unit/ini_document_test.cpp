#include "core/settings/ini_document.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileDevice>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <unistd.h>

#include <climits>

using vz::IniDocument;
using vz::IniReadOptions;
using vz::parseIniInteger;

namespace {

IniDocument parsed(const QByteArray& text, IniReadOptions options = {}) {
    IniDocument doc(options);
    doc.parse(text);
    return doc;
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

TEST(IniInteger, ParsesDecimalAndHexAndRejectsTheRest) {
    struct Case {
        const char* text;
        std::optional<int> expected;
    };
    const Case cases[] = {
        {"42", 42},
        {"-7", -7},
        {"+3", 3},
        {"  12\t", 12},
        {"007", 7},
        {"0x1F", 31},
        {"0X1f", 31},
        {"$ff", 255},
        {"$FFFFFFFF", -1},
        {"0x80000000", INT_MIN},
        {"0x0000000000000010", 16},
        {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},
        {"2147483648", std::nullopt},
        {"-2147483649", std::nullopt},
        {"99999999999999999999999", std::nullopt},
        {"$100000000", std::nullopt},
        {"12a", std::nullopt},
        {"1 2", std::nullopt},
        {"", std::nullopt},
        {"   ", std::nullopt},
        {"-", std::nullopt},
        {"0x", std::nullopt},
        {"$", std::nullopt},
        {"-$10", std::nullopt},
        {"0xg", std::nullopt},
        {"1.5", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(parseIniInteger(c.text), c.expected) << '"' << c.text << '"';
}

TEST(IniDocumentRead, FindsValuesByNameWithoutRegardToCase) {
    const QByteArray text =
        "Levo=1\r\n"  // before any section: belongs to none
        "[Options]\r\n"
        "optShowredpoint=1\r\n"
        "  Spaced  =  7  \r\n"
        ";Commented=5\r\n"
        "NoEquals\r\n"
        "Dup=1\r\n"
        "Dup=2\r\n"
        "Hex=$10\r\n"
        "Bad=12x\r\n"
        "Empty=\r\n"
        "[Velikost]\n"
        "Gor=-20\n"
        "[OPTIONS]\n"
        "Later=9\n";
    const IniDocument doc = parsed(text);

    struct Case {
        const char* section;
        const char* key;
        int expected;
    };
    const Case cases[] = {
        {"Options", "optShowRedPoint", 1},
        {"options", "OPTSHOWREDPOINT", 1},
        {"Options", "Spaced", 7},
        {"Options", "Commented", -99},
        {"Options", ";Commented", -99},
        {"Options", "NoEquals", -99},
        {"Options", "Dup", 1},
        {"Options", "Hex", 16},
        {"Options", "Bad", -99},
        {"Options", "Empty", -99},
        {"Options", "Later", 9},  // the second [OPTIONS] is searched too
        {"Velikost", "Gor", -20},
        {"Velikost", "Levo", -99},
        {"Missing", "Gor", -99},
    };
    for (const Case& c : cases)
        EXPECT_EQ(doc.readInteger(c.section, c.key, -99), c.expected) << c.section << '/' << c.key;

    EXPECT_TRUE(doc.readBool("Options", "optShowRedPoint", false));
    EXPECT_TRUE(doc.readBool("Options", "Hex", false));  // any non-zero
    EXPECT_TRUE(doc.readBool("Options", "Bad", true));   // not a number: default
    EXPECT_FALSE(doc.readBool("Velikost", "Missing", false));
    EXPECT_EQ(doc.readString("Options", "Spaced", "x"), "7");
    EXPECT_EQ(doc.readString("Options", "Empty", "x"), "");
    EXPECT_EQ(doc.readString("Options", "Nope", "x"), "x");
    EXPECT_EQ(doc.sectionNames(), QStringList({"Options", "Velikost", "OPTIONS"}));
    EXPECT_EQ(doc.keyNames("options"),
              QStringList({"optShowredpoint", "Spaced", "Dup", "Dup", "Hex", "Bad", "Empty", "Later"}));
}

TEST(IniDocumentRead, DecodesUtf8AndFallsBackToWindows1252) {
    // The same name in UTF-8 and as Windows writes it (0x9E is ž there).
    const IniDocument doc = parsed(
        "[s]\r\nu=Jo\xC5\xBE"
        "e\r\nl=Jo\x9E"
        "e caf\xE9\r\n");
    EXPECT_EQ(doc.readString("s", "u", {}), QString::fromUtf8("Jo\xC5\xBE"
                                                              "e"));
    EXPECT_EQ(doc.readString("s", "l", {}), QString::fromUtf8("Jo\xC5\xBE"
                                                              "e caf\xC3\xA9"));
}

TEST(IniDocumentLoad, MissingOrUnreadableFileGivesAnEmptyDocument) {
    QTemporaryDir dir;
    IniDocument doc;
    EXPECT_EQ(doc.load(dir.filePath("absent.cfg")), IniDocument::LoadStatus::Missing);
    EXPECT_EQ(doc.readInteger("Velikost", "Gor", 100), 100);

    EXPECT_EQ(doc.load(dir.path()), IniDocument::LoadStatus::Unreadable);
    EXPECT_FALSE(doc.loadError().isEmpty());

    const QString path = dir.filePath("a.cfg");
    ASSERT_TRUE(writeFile(path, "[Velikost]\r\nGor=7\r\n"));
    EXPECT_EQ(doc.load(path), IniDocument::LoadStatus::Loaded);
    EXPECT_EQ(doc.readInteger("Velikost", "Gor", 100), 7);
    // Loading again replaces the content.
    EXPECT_EQ(doc.load(dir.filePath("absent.cfg")), IniDocument::LoadStatus::Missing);
    EXPECT_FALSE(doc.hasSection("Velikost"));
}

TEST(IniDocumentWrite, UnchangedTextComesBackNormalised) {
    struct Case {
        const char* name;
        QByteArray in;
        QByteArray out;
    };
    const Case cases[] = {
        {"empty", "", ""},
        {"LF becomes CR LF, one empty line after the section", "[a]\nk=v\n", "[a]\r\nk=v\r\n\r\n"},
        {"no final line break", "[a]\r\nk=v", "[a]\r\nk=v\r\n\r\n"},
        {"empty lines ending a section collapse to one", "[a]\r\nk=v\r\n\r\n\r\n  \r\n[b]\r\n",
         "[a]\r\nk=v\r\n\r\n[b]\r\n\r\n"},
        {"empty lines inside a section stay", "[a]\r\nk=v\r\n\r\nj=w\r\n", "[a]\r\nk=v\r\n\r\nj=w\r\n\r\n"},
        {"lines before the first section, comments and garbage stay in place",
         "; top\r\n\r\nstray=1\r\n[a]\r\n ; c \r\n  k = v \r\ngarbage\r\n[b]\r\n",
         "; top\r\n\r\nstray=1\r\n[a]\r\n ; c \r\n  k = v \r\ngarbage\r\n\r\n[b]\r\n\r\n"},
        {"a lone CR ends a line", "[a]\r\nk=x\ry\r\n", "[a]\r\nk=x\r\ny\r\n\r\n"},
        {"byte order mark kept", "\xEF\xBB\xBF[a]\nk=1\n", "\xEF\xBB\xBF[a]\r\nk=1\r\n\r\n"},
    };
    for (const Case& c : cases) {
        const IniDocument doc = parsed(c.in);
        EXPECT_EQ(doc.toBytes(), c.out) << c.name;
        EXPECT_EQ(parsed(doc.toBytes()).toBytes(), c.out) << c.name << " (second pass)";
    }
    EXPECT_EQ(parsed("\xEF\xBB\xBF[a]\nk=1\n").readInteger("a", "k", 0), 1);
}

TEST(IniDocumentWrite, ChangesLandInPlaceOrAtTheEnd) {
    const QByteArray text =
        "; settings\r\n"
        "[Velikost]\r\n"
        "LEVO = 5\r\n"
        "Gor=6\r\n"
        "\r\n"
        "[options]\r\n"
        "HotKey1=Ctrl+F1\r\n"
        "optshowREDpoint=1\r\n"
        "garbage line\r\n"
        "HotKey2=None\r\n"
        "\r\n";
    IniDocument doc = parsed(text);
    doc.writeInteger("Velikost", "Levo", 300);
    doc.writeBool("Options", "optShowredpoint", false);
    doc.writeString("Options", "HotKey", "Ctrl+F11");
    doc.writeInteger("Config", "load", 1);
    doc.writeInteger("Velikost", "Extra", -4);
    EXPECT_EQ(doc.toBytes(),
              "; settings\r\n"
              "[Velikost]\r\n"
              "Levo=300\r\n"
              "Gor=6\r\n"
              "Extra=-4\r\n"
              "\r\n"
              "[options]\r\n"
              "HotKey1=Ctrl+F1\r\n"
              "optShowredpoint=0\r\n"
              "garbage line\r\n"
              "HotKey2=None\r\n"
              "HotKey=Ctrl+F11\r\n"
              "\r\n"
              "[Config]\r\n"
              "load=1\r\n"
              "\r\n");
}

TEST(IniDocumentWrite, ValuesCannotBreakTheLineStructure) {
    IniDocument doc;
    doc.writeString("s", "k", "a\r\n[evil]\nx=1");
    doc.writeString("s", "", "ignored");
    doc.writeString("s", "u", QString::fromUtf8("\xC5\xBE\xE2\x82\xAC"));
    const IniDocument back = parsed(doc.toBytes());
    EXPECT_FALSE(back.hasSection("evil"));
    EXPECT_EQ(back.readString("s", "k", {}), "a  [evil] x=1");
    EXPECT_EQ(back.readString("s", "u", {}), QString::fromUtf8("\xC5\xBE\xE2\x82\xAC"));
    EXPECT_EQ(back.keyNames("s"), QStringList({"k", "u"}));
}

TEST(IniDocumentWrite, ScrollTextReadingRules) {
    const QByteArray text =
        "text=before\r\n"
        "[scroll]\r\n"
        "   text =  Hello   \r\n"
        "; comment\r\n"
        "\r\n"
        "   loose words  \r\n"
        "\t[ Other ]  \r\n"
        "k=1\r\n";
    IniDocument doc = parsed(text, IniReadOptions::scrollText());
    EXPECT_EQ(doc.readString("scroll", "text", {}), "Hello");
    EXPECT_TRUE(doc.hasSection("other"));
    doc.writeInteger("scroll", "xstep", 2);
    EXPECT_EQ(doc.toBytes(),
              "[scroll]\r\n"
              "text =  Hello\r\n"
              "loose words\r\n"
              "xstep=2\r\n"
              "\r\n"
              "[ Other ]\r\n"
              "k=1\r\n"
              "\r\n");
}

TEST(IniDocumentRobustness, BinaryAndNulContentRoundTrips) {
    QRandomGenerator rng(1234);
    for (int round = 0; round < 20; ++round) {
        QByteArray bytes(4096, Qt::Uninitialized);
        for (char& c : bytes) {
            // Plenty of line breaks, brackets and '=' among arbitrary bytes.
            const char specials[] = {'\n', '\r', '[', ']', '=', ';', ' ', '\0'};
            c = rng.bounded(4) == 0 ? specials[rng.bounded(8)] : char(rng.bounded(256));
        }
        const QByteArray once = parsed(bytes).toBytes();
        EXPECT_EQ(parsed(once).toBytes(), once) << "round " << round;
    }
    // Untouched lines keep every byte, NULs and invalid UTF-8 included.
    const QByteArray odd("[s]\r\nk=\0\xFF\xFE\x80\r\n\x01garbage\0\r\n\r\n", 26);
    EXPECT_EQ(parsed(odd).toBytes(), odd);
}

TEST(IniDocumentRobustness, OversizedFileLoadsAsEmpty) {
    QTemporaryDir dir;
    const QString path = dir.filePath("huge.cfg");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.write("[Velikost]\r\nGor=7\r\n"));
        ASSERT_TRUE(f.resize(IniDocument::MaxFileSize + 1));
    }
    IniDocument doc;
    EXPECT_EQ(doc.load(path), IniDocument::LoadStatus::TooLarge);
    EXPECT_FALSE(doc.hasSection("Velikost"));
    EXPECT_TRUE(doc.toBytes().isEmpty());

    // Exactly at the limit it is read: the zero bytes make one long garbage line.
    ASSERT_TRUE(QFile::resize(path, IniDocument::MaxFileSize));
    EXPECT_EQ(doc.load(path), IniDocument::LoadStatus::Loaded);
    EXPECT_EQ(doc.readInteger("Velikost", "Gor", 0), 7);
}

TEST(IniDocumentSave, WritesTheWholeTextAndReportsFailures) {
    QTemporaryDir dir;
    IniDocument doc;
    doc.writeInteger("a", "k", 1);

    const QString nested = dir.filePath("new/folder/x.cfg");
    QString error;
    ASSERT_TRUE(doc.save(nested, &error)) << error.toStdString();
    EXPECT_EQ(readFile(nested), "[a]\r\nk=1\r\n\r\n");

    // A parent that is a regular file fails for everyone, root included.
    const QString blocker = dir.filePath("plainfile");
    ASSERT_TRUE(writeFile(blocker, "x"));
    const QString impossible = blocker + "/x.cfg";
    EXPECT_FALSE(doc.save(impossible, &error));
    EXPECT_TRUE(error.contains(impossible)) << error.toStdString();
    EXPECT_FALSE(doc.save(impossible));  // no message wanted: still false
}

TEST(IniDocumentSave, ReadOnlyFolderLeavesTheOldFileWhole) {
    if (geteuid() == 0) GTEST_SKIP() << "root ignores folder permissions";
    QTemporaryDir dir;
    const QString folder = dir.filePath("ro");
    ASSERT_TRUE(QDir().mkdir(folder));
    const QString path = folder + "/Vivivoz.cfg";
    ASSERT_TRUE(writeFile(path, "[old]\r\nk=1\r\n\r\n"));
    ASSERT_TRUE(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));

    IniDocument doc;
    doc.load(path);
    doc.writeInteger("old", "k", 2);
    QString error;
    EXPECT_FALSE(doc.save(path, &error));
    EXPECT_TRUE(error.contains(path)) << error.toStdString();
    EXPECT_EQ(readFile(path), "[old]\r\nk=1\r\n\r\n");

    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}
