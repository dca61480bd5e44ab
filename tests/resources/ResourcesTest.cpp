// The embedded images: each loads by its resource path at its fixed size, has
// a transparent background and visible content, its 2x twin shows the same
// picture, and nothing in it is pure black, the colour an image list keys out.

#include "resources/AppIcon.h"

#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QTextStream>
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

struct ImageCase {
    const char* name;
    int width;
    int height;
    bool hasTwin; // a name@2x.png beside it
};

constexpr ImageCase kImages[] = {
    {"drive-removable", 16, 16, true},
    {"drive-fixed", 16, 16, true},
    {"drive-remote", 16, 16, true},
    {"drive-cdrom", 16, 16, true},
    {"recycle-bin", 16, 16, true},
    {"folder-closed", 16, 16, true},
    {"folder-open", 16, 16, true},
    {"state-match", 16, 16, true},
    {"state-tagged", 16, 16, true},
    {"state-untagged", 16, 16, true},
    {"tb-refresh", 16, 16, true},
    {"tb-print", 16, 16, true},
    {"tb-play", 16, 16, true},
    {"tb-rename", 16, 16, true},
    {"tb-rename-all", 16, 16, true},
    {"tb-remove-id3", 16, 16, true},
    {"tb-delete", 16, 16, true},
    {"tb-multitag", 16, 16, true},
    {"tb-undo", 16, 16, true},
    {"tb-settings", 16, 16, true},
    {"tb-about", 16, 16, true},
    {"logo", 414, 104, true},
    {"sonadex-pro", 256, 256, false},
    {"sonadex-pro-16", 16, 16, false},
    {"sonadex-pro-32", 32, 32, false},
    {"sonadex-pro-48", 48, 48, false},
    {"sonadex-pro-64", 64, 64, false},
    {"sonadex-pro-128", 128, 128, false},
    {"sonadex-pro-256", 256, 256, false},
};

// Below this mean per-channel difference (0..255) two renderings show the same
// picture; the state icons, which must tell apart at a glance, lie far above.
constexpr double kSamePictureLimit = 12.0;

QString ResourcePath(const std::string& name)
{
    return QStringLiteral(":/icons/%1.png").arg(QString::fromStdString(name));
}

QImage Load(const std::string& name)
{
    return QImage(ResourcePath(name)).convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

struct AlphaCensus {
    int transparent = 0;
    int opaque = 0;
    int opaqueBlack = 0;
};

AlphaCensus TakeCensus(const QImage& image)
{
    AlphaCensus census;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (qAlpha(pixel) == 0) ++census.transparent;
            if (qAlpha(pixel) == 255) {
                ++census.opaque;
                if ((pixel & 0xFFFFFFu) == 0) ++census.opaqueBlack;
            }
        }
    }
    return census;
}

// Mean absolute difference per channel of two images of the same size.
double MeanDifference(const QImage& a, const QImage& b)
{
    const QImage left = a.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage right = b.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    double sum = 0;
    for (int y = 0; y < left.height(); ++y) {
        for (int x = 0; x < left.width(); ++x) {
            const QRgb p = left.pixel(x, y);
            const QRgb q = right.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q)) +
                   std::abs(qAlpha(p) - qAlpha(q));
        }
    }
    return sum / (4.0 * left.width() * left.height());
}

void ExpectWellFormed(const QImage& image, int width, int height)
{
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.width(), width);
    EXPECT_EQ(image.height(), height);
    EXPECT_TRUE(image.hasAlphaChannel());
    const AlphaCensus census = TakeCensus(image);
    EXPECT_GT(census.transparent, 0) << "no transparent background";
    EXPECT_GT(census.opaque, 0) << "nothing visible";
    EXPECT_EQ(census.opaqueBlack, 0) << "pure black pixels vanish under a black mask";
}

TEST(ResourcesTest, EveryImageLoadsWellFormed)
{
    for (const ImageCase& image : kImages) {
        SCOPED_TRACE(image.name);
        ExpectWellFormed(Load(image.name), image.width, image.height);
        if (image.hasTwin) {
            SCOPED_TRACE("@2x");
            ExpectWellFormed(Load(std::string(image.name) + "@2x"), 2 * image.width, 2 * image.height);
        }
    }
}

TEST(ResourcesTest, TwinShowsTheSamePicture)
{
    for (const ImageCase& image : kImages) {
        if (!image.hasTwin) continue;
        SCOPED_TRACE(image.name);
        const QImage single = Load(image.name);
        const QImage twin = Load(std::string(image.name) + "@2x");
        ASSERT_FALSE(single.isNull());
        ASSERT_FALSE(twin.isNull());
        const QImage reduced = twin.scaled(single.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        EXPECT_LT(MeanDifference(single, reduced), kSamePictureLimit);
    }
}

TEST(ResourcesTest, AppIconSizesShowTheSamePicture)
{
    const QImage largest = Load("sonadex-pro-256");
    ASSERT_FALSE(largest.isNull());
    EXPECT_EQ(MeanDifference(Load("sonadex-pro"), largest), 0.0);
    for (const int size : {32, 48, 64, 128}) {
        SCOPED_TRACE(size);
        const QImage icon = Load("sonadex-pro-" + std::to_string(size));
        ASSERT_FALSE(icon.isNull());
        const QImage reduced = largest.scaled(icon.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        EXPECT_LT(MeanDifference(icon, reduced), kSamePictureLimit);
    }
}

TEST(ResourcesTest, StateIconsAreDistinct)
{
    const char* const names[] = {"state-match", "state-tagged", "state-untagged"};
    for (const char* first : names) {
        for (const char* second : names) {
            if (first == second) continue;
            SCOPED_TRACE(std::string(first) + " vs " + second);
            EXPECT_GT(MeanDifference(Load(first), Load(second)), 3 * kSamePictureLimit);
        }
    }
}

// A high-DPI screen must get the drawn 2x image, not the 1x one scaled up.
TEST(ResourcesTest, IconPicksTwinOnHighDpi)
{
    ASSERT_EQ(qApp->devicePixelRatio(), 2.0);
    for (const char* name : {"state-match", "folder-open", "tb-refresh", "logo"}) {
        SCOPED_TRACE(name);
        const QImage single(ResourcePath(name));
        const QImage twin = Load(std::string(name) + "@2x");
        const QPixmap pixmap = QIcon(ResourcePath(name)).pixmap(single.size(), 2.0);
        ASSERT_EQ(pixmap.size(), twin.size());
        EXPECT_EQ(MeanDifference(pixmap.toImage(), twin), 0.0);
    }
}

// Each size must come from its own drawing, not from the largest scaled down.
TEST(ResourcesTest, AppIconCarriesEveryDrawnSize)
{
    const QIcon icon = AppIcon();
    for (const int size : {16, 32, 48, 64, 128, 256}) {
        SCOPED_TRACE(size);
        EXPECT_TRUE(icon.availableSizes().contains(QSize(size, size)));
        const QImage drawn = Load("sonadex-pro-" + std::to_string(size));
        const QPixmap pixmap = icon.pixmap(QSize(size, size), 1.0);
        ASSERT_EQ(pixmap.size(), drawn.size());
        EXPECT_EQ(MeanDifference(pixmap.toImage(), drawn), 0.0);
    }
}

std::map<QString, QString> ReadDesktopEntry(const QString& path)
{
    std::map<QString, QString> keys;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return keys;
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine();
        const qsizetype equals = line.indexOf('=');
        if (equals > 0) keys[line.left(equals)] = line.mid(equals + 1);
    }
    return keys;
}

// The entry must start the installed program and name the icon as installed.
TEST(ResourcesTest, DesktopEntryStartsSonadex)
{
    const auto keys = ReadDesktopEntry(QStringLiteral(SONADEX_DESKTOP_ENTRY));
    ASSERT_FALSE(keys.empty());
    const std::pair<const char*, const char*> expected[] = {
        {"Type", "Application"},
        {"Name", "Sonadex Pro"},
        {"Exec", "sonadex"},
        {"Icon", "sonadex-pro"},
        {"Categories", "AudioVideo;Audio;"},
    };
    for (const auto& [key, value] : expected) {
        SCOPED_TRACE(key);
        const auto found = keys.find(QString::fromLatin1(key));
        ASSERT_NE(found, keys.end());
        EXPECT_EQ(found->second.toStdString(), value);
    }
    EXPECT_FALSE(keys.at(QStringLiteral("Comment")).isEmpty());
    EXPECT_FALSE(keys.at(QStringLiteral("Comment[de]")).isEmpty());
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // A high-DPI screen, on which icons must come from the @2x files.
    qputenv("QT_SCALE_FACTOR", "2");
    const QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
