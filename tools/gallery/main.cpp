// Shows every control and every piece of artwork in the colour scheme of one base colour:
//   gallery [#rrggbb] [--grab FILE]
// With --grab the window is painted into FILE (PNG) and the program ends.
#include <QApplication>
#include <QColor>
#include <QImage>
#include <QTimer>
#include <cstdio>
#include <cstring>

#include "tools/gallery/gallery_window.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    Color base = platform::Rgb(48, 96, 176);
    const char* grabFile = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--grab") == 0 && i + 1 < argc) {
            grabFile = argv[++i];
        } else if (std::strcmp(argv[i], "--help") == 0) {
            std::puts("usage: gallery [#rrggbb] [--grab FILE]");
            return 0;
        } else {
            const QColor c(QString::fromLocal8Bit(argv[i]));
            if (!c.isValid()) {
                std::fprintf(stderr, "gallery: not a colour: %s\n", argv[i]);
                return 2;
            }
            base = platform::FromQColor(c);
        }
    }
    GalleryWindow window(base);
    window.show();
    if (grabFile != nullptr) {
        return window.grab().save(QString::fromLocal8Bit(grabFile)) ? 0 : 1;
    }
    return app.exec();
}
