#include "core/scrolltext/custom_colours.h"
#include "core/scrolltext/scroll_text_file.h"
#include "core/scrolltext/scroll_text_form.h"
#include "core/scrolltext/scroll_text_look.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

namespace vz {
namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

ScrollTextSettings read(const QByteArray& bytes, ScrollTextSettings onto = {}) {
    IniDocument doc = scrollTextDocument();
    doc.parse(bytes);
    applyScrollText(doc, onto);
    return onto;
}

class ScrollTextFile : public ::testing::Test {
protected:
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    QTemporaryDir dir;
};

TEST_F(ScrollTextFile, SavingHelloFromAFreshDialogWritesTheSeventeenKeys) {
    ScrollTextSettings s;
    s.text = QStringLiteral("Hello");
    QString error;
    ASSERT_TRUE(saveScrollTextFile(path("hello.sct"), s, &error)) << error.toStdString();
    EXPECT_EQ(readAll(path("hello.sct")),
              "[scroll]\r\ntext=Hello\r\ngb2=10456972\r\nxinterval=10\r\nxstep=1\r\nxHeight=180\r\n"
              "backcolor=16777215\r\nheight=20\r\nposition=1\r\nfcolor=-16777208\r\nfheight=-11\r\n"
              "fname=MS Sans Serif\r\nfpitch=-16777208\r\nfsize=8\r\nfs1=0\r\nfs2=0\r\nfs3=0\r\nfs4=0\r\n\r\n");
}

TEST_F(ScrollTextFile, RoundTripKeepsEverythingButSurroundingBlanks) {
    ScrollTextSettings s;
    s.text = QStringLiteral("  Grüße, שלום & 100%  ");
    s.panelColour = 255;
    s.interval = 300;
    s.step = 44;
    s.trackPosition = 194;
    s.backColour = -16777211;
    s.previewHeight = 7;
    s.bottom = false;
    s.fontColour = 0x00ff00;
    s.fontName = QStringLiteral("DejaVu Serif");
    s.fontSize = 15;
    s.fontHeight = -20;
    s.bold = s.italic = s.underline = s.strikeOut = true;
    ASSERT_TRUE(saveScrollTextFile(path("all.sct"), s, nullptr));
    ScrollTextSettings back;
    QString error;
    ASSERT_TRUE(openScrollTextFile(path("all.sct"), back, &error)) << error.toStdString();
    ScrollTextSettings expected = s;
    expected.text = s.text.trimmed();
    EXPECT_EQ(back, expected);
}

// A lone CR ends a line wherever the text comes from, so the value never
// holds one: the writer would turn it into a blank and the text would change
// on save and reopen.
TEST_F(ScrollTextFile, ALoneCrEndsTheTextAndSaveAndReopenKeepIt) {
    const QByteArray file("[scroll]\r\ntext=Hello\r972\r\n");
    EXPECT_EQ(read(file).text, QStringLiteral("Hello"));
    writeAll(path("cr.sct"), file);
    ScrollTextSettings opened;
    ASSERT_TRUE(openScrollTextFile(path("cr.sct"), opened, nullptr));
    EXPECT_EQ(opened, read(file));
    ASSERT_TRUE(saveScrollTextFile(path("cr.sct"), opened, nullptr));
    ScrollTextSettings reopened;
    ASSERT_TRUE(openScrollTextFile(path("cr.sct"), reopened, nullptr));
    EXPECT_EQ(reopened, opened);
    // The rest of the line stays in the file as a line of its own.
    EXPECT_TRUE(readAll(path("cr.sct")).startsWith("[scroll]\r\ntext=Hello\r\n972\r\n"));
}

// A value that starts with a byte-order mark keeps it, so the blanks behind
// it stay inside the text through a save and a reopen.
TEST_F(ScrollTextFile, AByteOrderMarkInTheTextSurvivesSaveAndReopen) {
    const QByteArray file("[scroll]\r\ntext= \xEF\xBB\xBF  Hello\r\n");
    const ScrollTextSettings opened = read(file);
    EXPECT_EQ(opened.text, QString(QChar(0xFEFF)) + QStringLiteral("  Hello"));
    ASSERT_TRUE(saveScrollTextFile(path("bom.sct"), opened, nullptr));
    ScrollTextSettings reopened;
    ASSERT_TRUE(openScrollTextFile(path("bom.sct"), reopened, nullptr));
    EXPECT_EQ(reopened, opened);
}

TEST_F(ScrollTextFile, ReadingRules) {
    ScrollTextSettings defaults;  // what a file without the section gives
    defaults.panelColour = 8421504;
    defaults.fontColour = 0;

    struct Case {
        const char* name;
        QByteArray file;
        std::function<void(ScrollTextSettings&)> expect;
    };
    const std::vector<Case> cases = {
        {"no section", "text=ignored\r\n[other]\r\nxstep=5\r\n", [](ScrollTextSettings&) {}},
        {"lines before the section, comments, blanks, case, trimming",
         "xstep=9\r\n; comment\r\n  [ SCROLL ]  \r\n\r\n  TEXT =  spaced out  \r\n;xstep=7\r\nXStep=3\r\n",
         [](ScrollTextSettings& s) {
             s.text = QStringLiteral("spaced out");
             s.step = 3;
         }},
        {"hexadecimal forms", "[scroll]\nxinterval=$1f\nxstep=0x0A\nbackcolor=0XFF\nfcolor=$FF000008\n",
         [](ScrollTextSettings& s) {
             s.interval = 31;
             s.step = 10;
             s.backColour = 255;
             s.fontColour = -16777208;
         }},
        {"garbage numbers take the defaults",
         "[scroll]\nxinterval=ten\nxstep=1.5\nxHeight=\nbackcolor=0x\nposition=yes\nfsize=99999999999\n",
         [](ScrollTextSettings&) {}},
        {"out of range is clamped", "[scroll]\nxinterval=0\nxstep=100000\nxHeight=500\nheight=100000\n",
         [](ScrollTextSettings& s) {
             s.interval = 1;
             s.step = 300;
             s.trackPosition = 194;
             s.previewHeight = 199;
         }},
        {"negative and minimum", "[scroll]\nxinterval=-5\nxHeight=-1\nheight=-3\nposition=0\n",
         [](ScrollTextSettings& s) {
             s.interval = 1;
             s.trackPosition = 1;
             s.previewHeight = 7;
             s.bottom = false;
         }},
        {"a font size overrides the height", "[scroll]\nfheight=-20\nfsize=8\n", [](ScrollTextSettings&) {}},
        {"a height alone sets the size", "[scroll]\nfheight=-20\nfsize=x\n",
         [](ScrollTextSettings& s) {
             s.fontHeight = -11;  // fsize falls back to 8, which sets the height
             s.fontSize = 8;
         }},
        {"not UTF-8", "[scroll]\ntext=caf\xe9 cr\xe8me\n",
         [](ScrollTextSettings& s) { s.text = QStringLiteral("café crème"); }},
        // Written on Windows: 0x80..0x9F are Windows-1252 characters, not controls.
        {"Windows-1252",
         "[scroll]\ntext=\x93Sale\x94 \x96 20\x80 \x85 \x8Akoda \x9E"
         "e\x9F\n",
         [](ScrollTextSettings& s) { s.text = QStringLiteral("“Sale” – 20€ … Škoda žeŸ"); }},
        {"style flags", "[scroll]\nfs1=1\nfs2=1\nfs3=2\nfs4=0\n",
         [](ScrollTextSettings& s) { s.bold = s.italic = true; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScrollTextSettings expected = defaults;
        c.expect(expected);
        EXPECT_EQ(read(c.file), expected);
    }
}

TEST_F(ScrollTextFile, StyleFlagsOnlyAddToTheCurrentStyle) {
    ScrollTextSettings bold;
    bold.bold = true;
    bold.underline = true;
    const ScrollTextSettings back = read("[scroll]\nfs1=0\nfs2=0\nfs3=0\nfs4=0\n", bold);
    EXPECT_TRUE(back.bold);
    EXPECT_TRUE(back.underline);
    EXPECT_FALSE(back.italic);

    ScrollTextSettings boldItalic;
    boldItalic.bold = boldItalic.italic = true;
    ASSERT_TRUE(saveScrollTextFile(path("bi.sct"), boldItalic, nullptr));
    EXPECT_TRUE(readAll(path("bi.sct")).contains("fs1=1\r\nfs2=1\r\nfs3=0\r\n"));
    ScrollTextSettings plain;
    ASSERT_TRUE(openScrollTextFile(path("bi.sct"), plain, nullptr));
    EXPECT_TRUE(plain.bold && plain.italic && !plain.underline);
    EXPECT_TRUE(bandLook(plain).font.bold());
    EXPECT_TRUE(bandLook(plain).font.italic());
}

TEST_F(ScrollTextFile, SavingOverAFileKeepsItsOtherSectionsAndKeysInPlace) {
    writeAll(path("old.sct"),
             "; made by hand\r\n[first]\r\na=1\r\n[Scroll]\r\nxstep=7\r\nmine=kept\r\n[last]\r\nb=2\r\n");
    ScrollTextSettings s;
    s.text = QStringLiteral("Hi");
    ASSERT_TRUE(saveScrollTextFile(path("old.sct"), s, nullptr));
    const QByteArray out = readAll(path("old.sct"));
    EXPECT_TRUE(out.startsWith("[first]\r\na=1\r\n\r\n[Scroll]\r\nxstep=1\r\nmine=kept\r\ntext=Hi\r\ngb2="));
    EXPECT_TRUE(out.endsWith("fs4=0\r\n\r\n[last]\r\nb=2\r\n\r\n"));
}

TEST_F(ScrollTextFile, FilesThatCannotBeReadOrWrittenGiveTheMessage) {
    ScrollTextSettings s;
    QString error;
    // A folder where the file should be: cannot be opened.
    QDir(dir.path()).mkdir("folder.sct");
    EXPECT_FALSE(openScrollTextFile(path("folder.sct"), s, &error));
    EXPECT_TRUE(error.startsWith("Cannot open file \"")) << error.toStdString();
    EXPECT_FALSE(saveScrollTextFile(path("folder.sct"), s, &error));
    EXPECT_TRUE(error.startsWith("Cannot open file \"")) << error.toStdString();

    // A plain file where the folder should be: cannot be created.
    writeAll(path("plain"), "x");
    EXPECT_FALSE(saveScrollTextFile(path("plain/new.sct"), s, &error));
    EXPECT_TRUE(error.startsWith("Cannot create file \"")) << error.toStdString();
    EXPECT_EQ(readAll(path("plain")), "x");

    // A megabyte-long text line reads whole.
    writeAll(path("big.sct"), "[scroll]\r\ntext=" + QByteArray(1 << 20, 'w') + "\r\nxstep=4\r\n");
    ASSERT_TRUE(openScrollTextFile(path("big.sct"), s, &error));
    EXPECT_EQ(s.text.size(), 1 << 20);
    EXPECT_EQ(s.step, 4);
}

TEST(ScrollTextLook, ColoursAndFont) {
    EXPECT_EQ(colourFromValue(-16777208), QColor(Qt::black));        // window text
    EXPECT_EQ(colourFromValue(-16777211), QColor(Qt::white));        // window
    EXPECT_EQ(colourFromValue(10456972), QColor(0x8C, 0x8F, 0x9F));  // 0x9F8F8C: low byte red
    EXPECT_EQ(valueFromColour(QColor(0x8C, 0x8F, 0x9F)), 10456972);

    ScrollTextSettings s = read("[scroll]\nfheight=-20\nfsize=8\n");
    EXPECT_EQ(s.fontSize, 8);
    EXPECT_EQ(s.fontHeight, -11);
    EXPECT_EQ(bandLook(s).font.pixelSize(), 11);
}

TEST(ScrollTextForm, HeightRule) {
    using namespace scrolltext;
    struct Row {
        int position, banner, preview;
        const char* label;
    };
    for (const Row& r : std::vector<Row>{{194, 6, 7, "Height: 6 px"},
                                         {193, 7, 7, "Height: 7 px"},
                                         {180, 20, 20, "Height: 20 px"},
                                         {1, 199, 199, "Height: 199 px"}}) {
        EXPECT_EQ(bannerHeight(r.position), r.banner) << r.position;
        EXPECT_EQ(previewHeight(r.position), r.preview) << r.position;
        EXPECT_EQ(heightLabel(r.position), QString::fromLatin1(r.label));
    }
    EXPECT_EQ(previewTopAfterHeightChange(7), 86);
    EXPECT_EQ(previewTopAfterTextChange(20), 95);
}

TEST(ScrollTextForm, ExactlyOneEdgeIsTicked) {
    scrolltext::EdgeChoice edge;
    EXPECT_TRUE(edge.bottom());
    // Every click sequence of length 4: never both, never neither.
    for (int sequence = 0; sequence < 16; ++sequence) {
        scrolltext::EdgeChoice e;
        for (int i = 0; i < 4; ++i) {
            const bool wasTop = e.top();
            const bool clickTop = (sequence >> i) & 1;
            if (clickTop)
                e.clickTop();
            else
                e.clickBottom();
            ASSERT_NE(e.top(), e.bottom());
            ASSERT_NE(e.top(), wasTop);  // a click always changes the state
        }
    }
    EXPECT_EQ(scrolltext::EdgeChoice::caption(true), QStringLiteral("On"));
}

TEST_F(ScrollTextFile, CustomColoursPersistInTheirLineFormat) {
    EXPECT_FALSE(loadCustomColours(path(CustomColoursFileName)).has_value());
    CustomColours colours;
    colours[0] = 0x0000ff;  // red
    colours[15] = 10456972;
    ASSERT_TRUE(saveCustomColours(path(CustomColoursFileName), colours));
    EXPECT_EQ(readAll(path(CustomColoursFileName)), "[CustomColors]\r\nColorA=0000ff\r\nColorP=9f8f8c\r\n\r\n");
    EXPECT_EQ(loadCustomColours(path(CustomColoursFileName)), colours);

    writeAll(path("bad.ini"), "[CustomColors]\nColorB=zzz\nColorC=FFFFFF\n");
    const auto bad = loadCustomColours(path("bad.ini"));
    ASSERT_TRUE(bad.has_value());
    EXPECT_FALSE((*bad)[1].has_value());
    EXPECT_EQ((*bad)[2], 0xFFFFFF);
}

}  // namespace
}  // namespace vz
