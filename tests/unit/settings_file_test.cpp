#include "core/settings/settings_file.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <functional>

using namespace vz;

namespace {

SettingsEnvironment screen1920() {
    return {1920, 1080, QStringLiteral("/home/u/Documents"), QStringLiteral("/opt/vivivoz/")};
}

Settings readText(const QByteArray& text) {
    IniDocument doc;
    doc.parse(text);
    return readSettings(doc, screen1920());
}

}  // namespace

TEST(SettingsFile, FreshFileHoldsEveryDefaultInTheOrderOfWriting) {
    IniDocument doc;
    writeSettings(doc, defaultSettings(screen1920()));
    EXPECT_EQ(doc.toBytes(),
              "[Velikost]\r\n"
              "Levo=1420\r\n"
              "Gor=100\r\n"
              "\r\n"
              "[Options]\r\n"
              "optAutohide=0\r\n"
              "Cursorx0=0\r\n"
              "Cursorx9=1920\r\n"
              "Cursory0=0\r\n"
              "Cursory9=1080\r\n"
              "OptCursorLimit=0\r\n"
              "ImgCounter=10\r\n"
              "optAutohideagain=0\r\n"
              "opScaleValue=100\r\n"
              "optShowcursor=0\r\n"
              "optShowredpoint=0\r\n"
              "optCenter=0\r\n"
              "optLeft=300\r\n"
              "optTop=250\r\n"
              "refreshRate=5\r\n"
              "MAXrefreshRate=5\r\n"
              "optStbar=0\r\n"
              "ImageSavePath=/home/u/Documents/\r\n"
              "HotKey=None\r\n"
              "CbBeep=0\r\n"
              "\r\n"
              "[Config]\r\n"
              "load=1\r\n"
              "\r\n"
              "[Display]\r\n"
              "Daf=2\r\n"
              "\r\n");
}

TEST(SettingsFile, ReadingAppliesDefaultsAndCorrections) {
    struct Case {
        const char* name;
        const char* text;
        std::function<void(Settings&)> expect;  // turns the defaults into the expected values
    };
    const Case cases[] = {
        {"empty file: every default", "", [](Settings&) {}},
        {"toolbar at the last allowed left", "[Velikost]\nLevo=1672", [](Settings& s) { s.toolbarLeft = 1672; }},
        {"toolbar beyond the right edge", "[Velikost]\nLevo=1673", [](Settings& s) { s.toolbarLeft = 5; }},
        {"toolbar at a negative left", "[Velikost]\nLevo=-1", [](Settings& s) { s.toolbarLeft = 5; }},
        {"toolbar top 50 above the bottom", "[Velikost]\nGor=1030", [](Settings& s) { s.toolbarTop = 1030; }},
        {"toolbar top within 50 of the bottom", "[Velikost]\nGor=1031", [](Settings& s) { s.toolbarTop = 5; }},
        {"toolbar top above 5", "[Velikost]\nGor=4", [](Settings& s) { s.toolbarTop = 5; }},
        {"toolbar position in hex", "[velikost]\nlevo=$64\nGOR=0x20",
         [](Settings& s) {
             s.toolbarLeft = 100;
             s.toolbarTop = 32;
         }},
        {"settings dialog top 40", "[Options]\noptTop=40", [](Settings& s) { s.settingsDialogTop = 350; }},
        {"settings dialog top 50", "[Options]\noptTop=50", [](Settings& s) { s.settingsDialogTop = 50; }},
        {"marks switched on by 1", "[Options]\noptAutohide=1\nOptCursorLimit=1\nCbBeep=1",
         [](Settings& s) { s.autoHide = s.cursorLocked = s.captureBeep = true; }},
        {"other values do not switch marks on", "[Options]\noptAutohide=2\nOptCursorLimit=-1\nCbBeep=3",
         [](Settings&) {}},
        {"the hint flag takes any non-zero", "[Options]\noptAutohideagain=-1",
         [](Settings& s) { s.autoHideHintOff = true; }},
        {"cursor and red point ticked only by 1", "[Options]\noptShowcursor=7\noptShowredpoint=-1", [](Settings&) {}},
        {"cursor and red point ticked by 1", "[Options]\noptShowcursor=1\noptShowredpoint=1",
         [](Settings& s) { s.showCursor = s.showRedPoint = true; }},
        {"positions beyond any screen are held to 16 bits",
         "[Options]\noptLeft=2147483647\noptTop=-2147483648\nCursorx0=-99999\nCursory9=99999",
         [](Settings& s) {
             s.settingsDialogLeft = 32767;
             s.settingsDialogTop = 350;
             s.mouseAreaLeft = -32767;
             s.mouseAreaBottom = 32767;
         }},
        {"red point in any letter case", "[OPTIONS]\nOPTshowredPOINT=1", [](Settings& s) { s.showRedPoint = true; }},
        {"load at startup off", "[Config]\nload=0", [](Settings& s) { s.loadAtStartup = false; }},
        {"load at startup: other value leaves the mark", "[Config]\nload=2",
         [](Settings& s) { s.loadAtStartup = std::nullopt; }},
        {"load at startup: not a number is the default", "[Config]\nload=yes", [](Settings&) {}},
        {"numbers that are not numbers", "[Options]\nImgCounter=ten\nrefreshRate=\nopScaleValue=1e3\n[Display]\nDaf=x",
         [](Settings&) {}},
        {"strings and counters",
         "[Options]\nImgCounter=-5\nImageSavePath=/tmp/shots/\nHotKey=Ctrl+F11\n[Display]\nDaf=4",
         [](Settings& s) {
             s.captureCounter = -5;
             s.captureFolder = "/tmp/shots/";
             s.captureKeyText = "Ctrl+F11";
             s.viewMode = 4;
         }},
        {"mouse area", "[Options]\nCursorx0=10\nCursorx9=800\nCursory0=20\nCursory9=600",
         [](Settings& s) {
             s.mouseAreaLeft = 10;
             s.mouseAreaRight = 800;
             s.mouseAreaTop = 20;
             s.mouseAreaBottom = 600;
         }},
        {"keys in the wrong section are not seen", "[Display]\nLevo=7\noptTop=60", [](Settings&) {}},
    };
    for (const Case& c : cases) {
        Settings expected = defaultSettings(screen1920());
        c.expect(expected);
        EXPECT_EQ(readText(c.text), expected) << c.name;
    }
}

TEST(SettingsFile, ToolbarChecksAreMeasuredFromThePrimarysCorner) {
    // A primary right of a projector, at scale 2: 960 x 540 logical pixels
    // from 1280, 200.
    SettingsEnvironment env = screen1920();
    env.primaryForWindows = QRect(1280, 200, 960, 540);
    const struct {
        const char* text;
        int left, top;
    } cases[] = {
        {"", 1280 + 960 - 500, 200 + 100},              // the default place
        {"[Velikost]\nLevo=1992\nGor=690", 1992, 690},  // the last left and top allowed
        {"[Velikost]\nLevo=1993\nGor=691", 1285, 205},  // one further: back to the corner
        {"[Velikost]\nLevo=1279\nGor=204", 1285, 205},  // left of and above the primary
        {"[Velikost]\nLevo=100\nGor=300", 1285, 300},   // on the projector
    };
    for (const auto& c : cases) {
        IniDocument doc;
        doc.parse(c.text);
        const Settings s = readSettings(doc, env);
        EXPECT_EQ(QPoint(s.toolbarLeft, s.toolbarTop), QPoint(c.left, c.top)) << c.text;
    }
    // The mouse area stays the primary's device size, from its corner.
    const Settings d = defaultSettings(env);
    EXPECT_EQ(QPoint(d.mouseAreaRight, d.mouseAreaBottom), QPoint(1920, 1080));
}

TEST(SettingsFile, WrittenValuesReadBack) {
    Settings s = defaultSettings(screen1920());
    s.toolbarLeft = 17;
    s.toolbarTop = 900;
    s.autoHide = s.cursorLocked = s.autoHideHintOff = true;
    s.mouseAreaLeft = 1;
    s.mouseAreaRight = 2;
    s.mouseAreaTop = 3;
    s.mouseAreaBottom = 4;
    s.captureCounter = 123456;
    s.loadAtStartup = false;
    s.scalePercent = 250;
    s.showCursor = s.showRedPoint = s.captureBeep = true;
    s.viewMode = 5;
    s.settingsDialogLeft = -40;
    s.settingsDialogTop = 60;
    s.updateRate = 30;
    s.maxUpdateRate = 60;
    s.captureFolder = QString::fromUtf8(
        "/home/\xC5\xBE"
        "an/Slike/");
    s.captureKeyText = "Alt+F2";
    s.screenCastToken = QStringLiteral("6a21a315-e2f5-4cdb-afe6-c2fe8a1d5e6e");
    IniDocument doc;
    writeSettings(doc, s);
    doc.parse(doc.toBytes());
    EXPECT_EQ(readSettings(doc, screen1920()), s);
}

// The screen-cast token appears only once there is one; a file that has the
// key keeps it, emptied, when the token is gone.
TEST(SettingsFile, ScreenCastTokenIsWrittenOnlyOnceItExists) {
    Settings s = defaultSettings(screen1920());
    IniDocument doc;
    writeSettings(doc, s);
    EXPECT_FALSE(doc.hasKey("Options", "ScreenCastToken"));
    s.screenCastToken = QStringLiteral("abc");
    writeSettings(doc, s);
    EXPECT_EQ(doc.readString("Options", "ScreenCastToken", QString()), QStringLiteral("abc"));
    s.screenCastToken.clear();
    writeSettings(doc, s);
    EXPECT_TRUE(doc.hasKey("Options", "ScreenCastToken"));
    EXPECT_EQ(readSettings(doc, screen1920()).screenCastToken, QString());
}

TEST(SettingsFile, SavingKeepsOtherOwnersKeysInPlace) {
    QTemporaryDir dir;
    const QString path = settingsFilePath(dir.path());
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(
            "[Options]\r\n"
            "HotKey1=Ctrl+F1\r\n"
            "OPTSHOWREDPOINT=1\r\n"
            "HotKey2=None\r\n"
            "HotKey10=Shift+Alt+X\r\n"
            "; a note\r\n"
            "\r\n");
    }
    IniDocument doc;
    ASSERT_EQ(doc.load(path), IniDocument::LoadStatus::Loaded);
    Settings s = readSettings(doc, screen1920());
    EXPECT_TRUE(s.showRedPoint);
    writeSettings(doc, s);
    QString error;
    ASSERT_TRUE(doc.save(path, &error)) << error.toStdString();

    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray saved = f.readAll();
    // The Options section comes first now: it already stood in the file.
    EXPECT_TRUE(
        saved.startsWith("[Options]\r\n"
                         "HotKey1=Ctrl+F1\r\n"
                         "optShowredpoint=1\r\n"
                         "HotKey2=None\r\n"
                         "HotKey10=Shift+Alt+X\r\n"
                         "; a note\r\n"
                         "optAutohide=0\r\n"))
        << saved.toStdString();
    EXPECT_TRUE(
        saved.contains("CbBeep=0\r\n\r\n[Velikost]\r\nLevo=1420\r\nGor=100\r\n\r\n[Config]\r\nload=1\r\n\r\n"
                       "[Display]\r\nDaf=2\r\n\r\n"))
        << saved.toStdString();
    EXPECT_FALSE(saved.contains("OPTSHOWREDPOINT"));
}

TEST(SettingsFile, DefaultImageSavePath) {
    struct Case {
        const char* documents;
        const char* configFolder;
        const char* expected;
    };
    const Case cases[] = {
        {"/home/u/Documents", "/opt/v/", "/home/u/Documents/"},
        {"/home/u/Documents/", "/opt/v/", "/home/u/Documents/"},
        {"/", "/opt/v/", "/"},
        {"", "/opt/v/", "/opt/v/"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(defaultImageSavePath({1920, 1080, c.documents, c.configFolder}), c.expected) << c.documents;
}

TEST(SettingsFile, FolderOfTheSettingsFile) {
    QTemporaryDir exeDir, configHome;
    const QString exe = exeDir.path();
    const QString xdg = configHome.path();

    EXPECT_EQ(settingsFolder("/srv/cfg", exe, xdg), "/srv/cfg/");
    EXPECT_EQ(settingsFolder("/srv/cfg/", exe, xdg), "/srv/cfg/");
    EXPECT_EQ(settingsFolder("rel", exe, xdg), QDir::current().absoluteFilePath("rel") + "/");
    // No Vivivoz.cfg beside the program: the user's config folder, not created yet.
    EXPECT_EQ(settingsFolder({}, exe, xdg), xdg + "/vivivoz/");
    EXPECT_FALSE(QDir(xdg + "/vivivoz").exists());
    // Portable use: a Vivivoz.cfg beside the program wins.
    QFile cfg(exe + "/Vivivoz.cfg");
    ASSERT_TRUE(cfg.open(QIODevice::WriteOnly));
    cfg.close();
    EXPECT_EQ(settingsFolder({}, exe, xdg), exe + "/");
    EXPECT_EQ(settingsFolder("/srv/cfg", exe, xdg), "/srv/cfg/");
    EXPECT_EQ(settingsFilePath("/srv/cfg/"), "/srv/cfg/Vivivoz.cfg");
}
