#include "ui/main/image_list.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <array>

#include "calcdata/object_types.h"

namespace bridgit::ui {

namespace {

// A type's badge: a short label on a coloured card. Families of types share
// a colour: numbers blue, text green, programs red, containers amber,
// names violet, system objects grey.
struct TBadge {
  const char* label;
  QRgb colour;
};

constexpr QRgb kNumber = 0xff2f6db5, kText = 0xff2e8b57, kProgram = 0xffc0392b, kContainer = 0xffd68910,
               kName = 0xff7d3c98, kSystem = 0xff5d6d7e, kGraphic = 0xff148f99;

// In the order of the object type table.
constexpr std::array<TBadge, kObjectTypeCount> kBadges = {{
    {"AP", kSystem},     // Access Pointer
    {"[ ]", kContainer}, // Array
    {"BK", kSystem},     // Backup
    {"#", kNumber},      // Binary Integer
    {"c", kText},        // Character
    {"C", kNumber},      // Complex
    {"<>", kProgram},    // Code
    {"\u00ab\u00bb", kProgram},  // RPL program
    {"\"\"", kText},     // String
    {"LC", kNumber},     // Long Complex
    {"LR", kNumber},     // Long Real
    {"_u", kNumber},     // Unit
    {"LD", kSystem},     // Library Data Object
    {"Fn", kGraphic},    // Font
    {"E3", kSystem},     // Ext3
    {"E4", kSystem},     // Ext4
    {"", kGraphic},      // Graphical Object (drawn)
    {"0x", kText},       // Hex String
    {"'n'", kName},      // Global name
    {"'l'", kName},      // Local name
    {"LIB", kSystem},    // Library
    {"{ }", kContainer}, // List
    {"[~]", kContainer}, // Linked Array
    {"R", kNumber},      // Real
    {"XL", kProgram},    // XLib
    {"", kContainer},    // Directory (drawn)
    {"'x'", kName},      // Algebraic
    {":t:", kText},      // Tagged
    {";", kProgram},     // Semi
    {"Ap", kSystem},     // Aplet
    {"FP", kSystem},     // Flash Pointer
    {"Z", kNumber},      // Integer
    {"\u221eC", kNumber},  // InfP Complex
    {"\u221eR", kNumber},  // InfP Real
    {"[[ ]]", kContainer}, // Matrix
    {"f", kGraphic},     // Mini Font
}};

constexpr int kGraphicRow = 16;  // drawn as a picture, not a badge

const QColor kOutline(0x30, 0x30, 0x30);
const QColor kPaper(0xfb, 0xfb, 0xf4);
const QColor kFolder(0xf0, 0xc0, 0x40);
const QColor kFolderDark(0xc8, 0x96, 0x1e);

void Card(QPainter& p, QColor colour, const QString& label) {
  p.setPen(QPen(colour.darker(140), 0.8));
  p.setBrush(colour);
  p.drawRoundedRect(QRectF(0.9, 1.9, 14.2, 12.2), 2.2, 2.2);
  if (label.isEmpty()) return;
  QFont f("Sans");
  f.setBold(true);
  // Longer labels get a narrower font so that each fits the card.
  f.setPixelSize(label.size() <= 1 ? 10 : label.size() == 2 ? 8 : label.size() == 3 ? 6 : 5);
  f.setStretch(label.size() >= 3 ? QFont::Condensed : QFont::Unstretched);
  p.setFont(f);
  p.setPen(Qt::white);
  p.drawText(QRectF(0.5, 1.5, 15, 13), Qt::AlignCenter, label);
}

void Folder(QPainter& p, bool open) {
  p.setPen(QPen(kFolderDark.darker(130), 0.8));
  p.setBrush(kFolderDark);
  QPainterPath back;
  back.moveTo(1, 3);
  back.lineTo(6, 3);
  back.lineTo(7.5, 4.5);
  back.lineTo(15, 4.5);
  back.lineTo(15, 13.5);
  back.lineTo(1, 13.5);
  back.closeSubpath();
  p.drawPath(back);
  p.setBrush(kFolder);
  if (open) {
    QPolygonF front{{3.5, 7}, {15.5, 7}, {13, 13.5}, {1, 13.5}};
    p.drawPolygon(front);
  } else {
    p.drawRect(QRectF(1, 6, 14, 7.5));
  }
}

void Page(QPainter& p) {
  p.setPen(QPen(kOutline, 0.8));
  p.setBrush(kPaper);
  QPolygonF page{{3, 1}, {10.5, 1}, {13.5, 4}, {13.5, 15}, {3, 15}};
  p.drawPolygon(page);
}

void Plug(QPainter& p, bool joined) {
  const QColor body = joined ? QColor(0x2e, 0x8b, 0x57) : QColor(0xb0, 0x3a, 0x2e);
  const qreal gap = joined ? 0 : 2.5;
  p.setPen(QPen(kOutline, 0.8));
  p.setBrush(body);
  // Left half with its two pins, right half with its socket.
  p.drawRoundedRect(QRectF(1, 5, 5 - gap / 2, 6), 1, 1);
  p.drawRect(QRectF(6 - gap / 2, 6, 2.5, 1.2));
  p.drawRect(QRectF(6 - gap / 2, 8.8, 2.5, 1.2));
  p.drawRoundedRect(QRectF(8.5 + gap / 2, 5, 6.5 - gap / 2, 6), 1, 1);
  p.setPen(QPen(kOutline, 1.2));
  p.drawLine(QPointF(0, 8), QPointF(1, 8));
  p.drawLine(QPointF(15, 8), QPointF(16, 8));
  if (!joined) {
    p.setPen(QPen(QColor(0xe0, 0x20, 0x20), 1.4));
    p.drawLine(QPointF(7, 2), QPointF(9.5, 14));
  }
}

void Screen(QPainter& p) {
  p.setPen(QPen(kOutline, 0.8));
  p.setBrush(QColor(0x50, 0x58, 0x60));
  p.drawRoundedRect(QRectF(0.5, 2, 15, 12), 1.5, 1.5);
  p.setBrush(QColor(0xc8, 0xd8, 0xb0));
  p.drawRect(QRectF(2.5, 4, 11, 8));
  p.setPen(QPen(QColor(0x30, 0x40, 0x30), 0.9));
  p.drawLine(QPointF(3.5, 10.5), QPointF(6.5, 6.5));
  p.drawLine(QPointF(6.5, 6.5), QPointF(9, 9));
  p.drawLine(QPointF(9, 9), QPointF(12.5, 5));
}

void Graphic(QPainter& p) {
  Card(p, QColor(kGraphic), "");
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0xf0, 0xf0, 0xd0));
  p.drawEllipse(QRectF(9, 3.5, 3.5, 3.5));
  p.setBrush(QColor(0xe8, 0xf4, 0xe8));
  p.drawPolygon(QPolygonF{{2, 13}, {6.5, 6.5}, {9.5, 10.5}, {11, 9}, {14.5, 13}});
}

void Triangle(QPainter& p, bool up) {
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x55, 0x55, 0x55));
  if (up)
    p.drawPolygon(QPolygonF{{8, 4}, {13, 11}, {3, 11}});
  else
    p.drawPolygon(QPolygonF{{3, 5}, {13, 5}, {8, 12}});
}

void ModePage(QPainter& p, bool text) {
  Page(p);
  QFont f("Sans");
  f.setBold(true);
  f.setPixelSize(text ? 9 : 6);
  p.setFont(f);
  p.setPen(text ? QColor(0x2e, 0x8b, 0x57) : QColor(0x2f, 0x6d, 0xb5));
  p.drawText(QRectF(3, 3, 10.5, 11), Qt::AlignCenter, text ? "T" : "01\n10");
}

void Paint(QPainter& p, int index) {
  switch (index) {
    case kImageOpenFolder: return Folder(p, true);
    case kImageDisconnect: return Plug(p, false);
    case kImageConnect: return Plug(p, true);
    case kImageTextMode: return ModePage(p, true);
    case kImageBinaryMode: return ModePage(p, false);
    case kImageCapture: return Screen(p);
    case kImageSortUp: return Triangle(p, true);
    case kImageSortDown: return Triangle(p, false);
    case kImageDirectory: return Folder(p, false);
    default: break;
  }
  const int row = index - kTypeIconBase;
  if (row < 0 || row >= kObjectTypeCount) return Card(p, QColor(0x90, 0x90, 0x90), "?");
  if (row == kGraphicRow) return Graphic(p);
  const TBadge& b = kBadges[static_cast<std::size_t>(row)];
  Card(p, QColor::fromRgba(b.colour), QString::fromUtf8(b.label));
}

}  // namespace

QPixmap DrawImage(int index, int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  p.scale(size / 16.0, size / 16.0);
  Paint(p, index);
  return pixmap;
}

QIcon ImageIcon(int index) {
  // Drawn once: a list of thousands of items shares a few dozen icons.
  static std::array<QIcon, kImageCount + 1> cache;
  const std::size_t slot = index >= 0 && index < kImageCount ? static_cast<std::size_t>(index) : kImageCount;
  QIcon& icon = cache[slot];
  if (icon.isNull())
    for (int size : {16, 24, 32}) icon.addPixmap(DrawImage(static_cast<int>(slot), size));
  return icon;
}

QPixmap ProductPicture(QSize size) {
  QPixmap pixmap(size);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient sky(0, 0, 0, size.height());
  sky.setColorAt(0, QColor(0x1d, 0x3a, 0x5f));
  sky.setColorAt(1, QColor(0x3d, 0x7e, 0xaa));
  p.fillRect(pixmap.rect(), sky);
  // A calculator on the left, linked by a cable to the name.
  const QRectF calc(28, 30, 86, 150);
  p.setPen(QPen(QColor(0x10, 0x10, 0x10), 2));
  p.setBrush(QColor(0x2b, 0x2b, 0x30));
  p.drawRoundedRect(calc, 10, 10);
  p.setBrush(QColor(0xc8, 0xd8, 0xb0));
  p.drawRect(QRectF(40, 42, 62, 40));
  p.setPen(QPen(QColor(0x30, 0x40, 0x30), 2));
  p.drawLine(QPointF(46, 74), QPointF(60, 56));
  p.drawLine(QPointF(60, 56), QPointF(72, 68));
  p.drawLine(QPointF(72, 68), QPointF(96, 50));
  p.setPen(Qt::NoPen);
  for (int r = 0; r < 5; ++r)
    for (int c = 0; c < 4; ++c) {
      p.setBrush(r == 0 ? QColor(0x7d, 0x3c, 0x98) : QColor(0x70, 0x70, 0x78));
      p.drawRoundedRect(QRectF(40 + c * 16, 94 + r * 16, 12, 10), 2, 2);
    }
  QPen cable(QColor(0xf0, 0xc0, 0x40), 3);
  p.setPen(cable);
  p.setBrush(Qt::NoBrush);
  QPainterPath path;
  path.moveTo(114, 60);
  path.cubicTo(150, 40, 140, 120, 180, 110);
  p.drawPath(path);
  QFont title("Sans");
  title.setBold(true);
  title.setPixelSize(40);
  p.setFont(title);
  p.setPen(Qt::white);
  p.drawText(QRectF(140, 50, size.width() - 150, 60), Qt::AlignLeft | Qt::AlignVCenter, "Bridgit");
  QFont sub("Sans");
  sub.setPixelSize(12);
  p.setFont(sub);
  p.setPen(QColor(0xdd, 0xe8, 0xf0));
  p.drawText(QRectF(140, 112, size.width() - 150, 60), Qt::AlignLeft | Qt::TextWordWrap,
             "Connectivity kit for the ZQ71 and ZQ73 calculators");
  return pixmap;
}

}  // namespace bridgit::ui
