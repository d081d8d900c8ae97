// The previews as settings-render draws them: options, the PNG, text runs and refused input.
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class SettingsRender : public ::testing::Test {
protected:
    struct Result {
        int status = -1;
        QString out, err;
    };
    Result run(QStringList args, const QString &command = QStringLiteral("preview"))
    {
        args.prepend(command);
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.path());
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(SETTINGS_RENDER), args);
        Result r;
        if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
            return r;
        r.status = process.exitCode();
        r.out = QString::fromUtf8(process.readAllStandardOutput());
        r.err = QString::fromUtf8(process.readAllStandardError());
        return r;
    }
    QString file(const char *name) const { return dir.filePath(QString::fromLatin1(name)); }
    // How much of one row of the picture the black island covers, in pixels: the row's backdrop at
    // its left end counts 0, black 1, an antialiased edge in between.
    static double blackRun(const QImage &image, int y)
    {
        const double backdrop = image.pixelColor(0, y).red();
        double n = 0;
        for (int x = 0; x < image.width(); ++x)
            n += 1 - image.pixelColor(x, y).red() / backdrop;
        return n;
    }

    QTemporaryDir dir;
    const QString bare = QStringLiteral(R"({"content":"bare","scale":1,"isHovered":false})");
    const QString hovered = QStringLiteral(R"({"content":"bare","scale":1,"isHovered":true})");
};

}  // namespace

TEST_F(SettingsRender, ClosedIslandPictureAndItsSize)
{
    Result r = run({"closed", bare, "--size", "200x40", "--scale", "1", "--out", file("bare.png")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    QImage image(file("bare.png"));
    ASSERT_EQ(image.size(), QSize(200, 40));
    // Below the ears the body is 78 wide; the menu bar and the wallpaper around it are grey.
    EXPECT_NEAR(blackRun(image, 8), 78, 0.05);
    EXPECT_EQ(image.pixelColor(100, 20), QColor(143, 143, 148));

    // The default scale is 2 and a fractional size rounds up.
    r = run({"closed", bare, "--size", "100.3x40", "--out", file("two.png")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(QImage(file("two.png")).size(), QSize(201, 80));
}

TEST_F(SettingsRender, ThenDrawsBetweenTheTwoEnds)
{
    ASSERT_EQ(run({"closed", hovered, "--size", "200x40", "--scale", "1", "--out", file("end.png")}).status, 0);
    Result r = run({"closed", bare, "--size", "200x40", "--scale", "1", "--out", file("mid.png"), "--then", hovered,
                    "--at", "0.04"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_NEAR(blackRun(QImage(file("end.png")), 8), 83, 0.05);
    const double mid = blackRun(QImage(file("mid.png")), 8);
    EXPECT_GT(mid, 78.2);
    EXPECT_LT(mid, 82.8);
}

TEST_F(SettingsRender, TextsListTheVisibleRuns)
{
    Result r = run({"closed", R"({"content":{"case":"readout","symbol":"timer","tint":"#FF9F0A","text":"24:59"},"scale":2.2,"isHovered":false})",
                    "--size", "505x96", "--out", file("r.png"), "--texts"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("377,8 43x18 \"24:59\"\n"));

    r = run({"lock", R"({"showsCard":true,"showsAppIcon":false,"position":0.225,"glassStrength":0.5})", "--size",
             "323x210", "--out", file("l.png"), "--texts"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("\"Mon 6 Jan\""))) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("\"10:00\""))) << r.out.toStdString();

    // Nothing hidden is listed: the calendar's only text is the day.
    r = run({"calendar", R"({"showsEvents":false,"showsDots":false,"dimsWeekends":false,"scale":1})", "--size", "200x80",
             "--out", file("c.png"), "--texts"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.endsWith(QStringLiteral(" \"6\"\n"))) << r.out.toStdString();
    EXPECT_EQ(r.out.count(u'\n'), 1);
}

TEST_F(SettingsRender, BadInputExitsTwoWithOneLine)
{
    const QString png = file("x.png");
    const std::vector<QStringList> cases = {
        {"closed", R"({"content":"bare","scale":1})", "--size", "10x10", "--out", png},                       // missing
        {"closed", R"({"content":"bare","scale":1,"isHovered":false,"extra":1})", "--size", "10x10", "--out", png},
        {"closed", R"({"content":"bare","scale":"1","isHovered":false})", "--size", "10x10", "--out", png},  // type
        {"closed", R"({"content":"loud","scale":1,"isHovered":false})", "--size", "10x10", "--out", png},
        {"closed", R"({"content":{"case":"readout","symbol":"timer","tint":"orange","text":"1"},"scale":1,"isHovered":false})",
         "--size", "10x10", "--out", png},
        {"closed", R"({"content":{"case":"nowPlaying","artwork":true},"scale":1,"isHovered":false})", "--size", "10x10",
         "--out", png},
        {"closed", "{not json", "--size", "10x10", "--out", png},
        {"closed", bare, "--size", "0x10", "--out", png},
        {"closed", bare, "--size", "-5x10", "--out", png},
        {"closed", bare, "--size", "10", "--out", png},
        {"closed", bare, "--size", "10x10", "--scale", "0", "--out", png},
        {"closed", bare, "--size", "10x10"},
        {"closed", bare, "--size", "10x10", "--out", png, "--then", hovered},
        {"closed", bare, "--size", "10x10", "--out", png, "--then", hovered, "--at", "soon"},
        {"closed", bare, "--size", "100000x10", "--out", png},
        {"sideways", "{}", "--size", "10x10", "--out", png},
        {"display", R"({"style":3})", "--size", "10x10", "--out", png},
        {"lock", R"([true])", "--size", "10x10", "--out", png},
        {"closed", QString(50000, u'[') + QString(50000, u']'), "--size", "10x10", "--out", png},  // too deep
    };
    for (const QStringList &args : cases) {
        const Result r = run(args);
        EXPECT_EQ(r.status, 2) << args.join(' ').toStdString();
        EXPECT_EQ(r.err.count(u'\n'), 1) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
    EXPECT_FALSE(QFile::exists(png));
}

TEST_F(SettingsRender, PaneDrawsTheWholeWindowWithTheSettingsGiven)
{
    const QString pane = QStringLiteral("pane");
    Result r = run({"notch", "--set", "showShadow=false", "--scale", "1", "--out", file("notch.png")}, pane);
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(QImage(file("notch.png")).size(), QSize(760, 640));
    r = run({"Now Playing", "--out", file("two.png")}, pane);
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(QImage(file("two.png")).size(), QSize(1520, 1280));
    // An unknown pane, a malformed setting and a missing output are bad input.
    EXPECT_EQ(run({"nowhere", "--out", file("x.png")}, pane).status, 2);
    EXPECT_EQ(run({"about", "--set", "showShadow=[", "--out", file("x.png")}, pane).status, 2);
    EXPECT_EQ(run({"about"}, pane).status, 2);
    EXPECT_FALSE(QFile::exists(file("x.png")));
}
