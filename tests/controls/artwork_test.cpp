#include <gtest/gtest.h>

#include "controls/bitmap_resource.h"
#include "controls/mbitmap.h"
#include "platform/gui/artwork.h"
#include "resources/artwork_list.h"
#include "test_host.h"

using platform::Rgb;

TEST(Artwork, EveryBitmapExistsAtItsSizeAndHasInk) {
    for (const ArtworkEntry& e : bitmapArtwork()) {
        const std::optional<QBitmap> b = platform::loadBitmapResource(e.name);
        ASSERT_TRUE(b.has_value()) << e.name;
        EXPECT_EQ(b->size(), QSize(e.width, e.height)) << e.name;
        const QImage image = b->toImage().convertToFormat(QImage::Format_Mono);
        int ink = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                ink += image.pixelIndex(x, y) == 1 ? 1 : 0;
            }
        }
        EXPECT_GT(ink, 0) << e.name;
        EXPECT_LT(ink, e.width * e.height) << e.name;
    }
}

TEST(Artwork, EveryCursorHasAMaskAndAHotSpotInside) {
    for (const char* name : cursorArtwork()) {
        const QCursor* c = platform::loadCursorResource(name);
        ASSERT_NE(c, nullptr) << name;
        EXPECT_EQ(c->shape(), Qt::BitmapCursor);
        const QSize size = c->bitmap().size();
        EXPECT_TRUE(QRect(QPoint(0, 0), size).contains(c->hotSpot())) << name;
        EXPECT_EQ(c->mask().size(), size);
    }
    EXPECT_EQ(platform::loadCursorResource("NOSUCHCUR"), nullptr);
    EXPECT_FALSE(platform::programIcon().availableSizes().isEmpty());
}

TEST(Artwork, NameWithoutArtworkIsOnePixel) {
    for (bool keep : {true, false}) {
        BitmapResource r(keep);
        r.SetName("NOSUCHBMP");
        EXPECT_EQ(r.GetSize(), (BitmapSize{1, 1}));
    }
    BitmapResource play;
    play.SetName("PLAY2UP");
    EXPECT_EQ(play.GetSize(), (BitmapSize{24, 24}));
}

TEST(Artwork, BitmapsLookTheSameLoadedOnceOrForEveryUse) {
    TestHost host;
    MBitmap kept;
    kept.Create(0, "", 0, 0, &host, "NOTEBMP");
    kept.SetColors(Rgb(255, 0, 0), Rgb(0, 0, 255));
    // The same bitmap, drawn by a resource that loads it for each use.
    BitmapResource reloading(false);
    reloading.SetName("NOTEBMP");
    QImage a(37, 162, QImage::Format_RGB32);
    QImage b(37, 162, QImage::Format_RGB32);
    {
        QPainter p(&a);
        platform::DeviceContext dc(p, QRegion(0, 0, 37, 162));
        kept.Draw(dc);
    }
    {
        QPainter p(&b);
        platform::DeviceContext dc(p, QRegion(0, 0, 37, 162));
        reloading.Draw(dc, Rgb(255, 0, 0), Rgb(0, 0, 255), 0, 0);
    }
    EXPECT_EQ(a, b);
    EXPECT_EQ(ColorAt(a, 0, 0), Rgb(255, 0, 0));  // the frame is ink
}
