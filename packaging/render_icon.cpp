// render_icon SVG SIZE PNG: draws the program's icon at SIZE x SIZE pixels
// and saves it as PNG, so the icon theme gets sharp pictures of every size
// from the one drawing.
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>
#include <string>

int main(int argc, char* argv[]) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: render_icon SVG SIZE PNG\n");
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  int qt_argc = 1;
  QGuiApplication app(qt_argc, argv);

  const QString svg = QString::fromLocal8Bit(argv[1]);
  const QString png = QString::fromLocal8Bit(argv[3]);
  bool ok = false;
  const int size = QString::fromLocal8Bit(argv[2]).toInt(&ok);
  if (!ok || size < 1 || size > 4096) {
    std::fprintf(stderr, "render_icon: the size '%s' is not a whole number from 1 to 4096\n", argv[2]);
    return 2;
  }
  QSvgRenderer renderer(svg);
  if (!renderer.isValid()) {
    std::fprintf(stderr, "render_icon: cannot read the drawing %s\n", argv[1]);
    return 1;
  }
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(0, 0, size, size));
  }
  if (!image.save(png, "PNG")) {
    QFile::remove(png);  // never leave half a picture behind
    std::fprintf(stderr, "render_icon: cannot write %s\n", argv[3]);
    return 1;
  }
  return 0;
}
