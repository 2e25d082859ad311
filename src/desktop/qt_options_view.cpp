#include "desktop/qt_options_view.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

namespace desktop {

namespace {

using platform::OptionsCheck;
using platform::OptionsList;

constexpr int kTwipsPerPixel = 15;
// The design's client area, and what a title bar and border add when the window system has
// not told us yet.
constexpr int kClientWidth = 5175;
constexpr int kClientHeight = 3705;
constexpr int kFrameWidth = 120;
constexpr int kFrameHeight = 405;

QRect pixels(int left, int top, int width, int height) {
  return {left / kTwipsPerPixel, top / kTwipsPerPixel, width / kTwipsPerPixel,
          height / kTwipsPerPixel};
}

// The design's small sans fonts are 11 pixels high; where Tahoma is missing, the narrow
// sans faces of the same build keep the captions inside their design widths.
QFont designFont(bool bold = false) {
  QFont font;
  font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans"),
                    QStringLiteral("Arial"), QStringLiteral("Nimbus Sans"),
                    QStringLiteral("Helvetica")});
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(11);
  font.setBold(bold);
  return font;
}

QFont tahoma(bool bold = false) { return designFont(bold); }

// A caption wider than its design width (another font than the design's) may grow to the
// right up to limit, rather than be cut.
void fitCaption(QWidget* widget, int limit) {
  const int wanted = std::max(widget->width(), widget->sizeHint().width());
  widget->resize(std::min(wanted, limit - widget->x()), widget->height());
}

template <typename Widget>
Widget* place(Widget* widget, const char* name, const QRect& geometry) {
  widget->setObjectName(QString::fromLatin1(name));
  widget->setGeometry(geometry);
  return widget;
}

QCheckBox* checkBox(QWidget* parent, const char* name, const char* caption, const QRect& geometry) {
  auto* box = place(new QCheckBox(QString::fromUtf8(caption), parent), name, geometry);
  box->setFont(tahoma());
  return box;
}

QPushButton* button(QWidget* parent, const char* name, const char* caption, const QRect& geometry) {
  auto* push = place(new QPushButton(QString::fromUtf8(caption), parent), name, geometry);
  push->setFont(tahoma(true));
  push->setAutoDefault(false);
  push->setDefault(false);
  return push;
}

}  // namespace

QtOptionsView::QtOptionsView() : dialog_(std::make_unique<QDialog>()) {
  QDialog* d = dialog_.get();
  d->setObjectName(QStringLiteral("options"));
  d->setWindowTitle(QStringLiteral("Options"));
  d->setFixedSize(kClientWidth / kTwipsPerPixel, kClientHeight / kTwipsPerPixel);
  d->setModal(true);
  d->setFont(designFont());

  auto* frame1 =
      place(new QGroupBox(QStringLiteral(" Options "), d), "Frame1", pixels(60, 60, 5055, 1215));
  checks_[OptionsCheck::AutoSaveMode] =
      checkBox(frame1, "chkAutoSaveMode", " Auto-save images", pixels(240, 300, 1635, 255));
  auto* pathLabel =
      place(new QLabel(QStringLiteral("Path"), frame1), "Label2", pixels(240, 720, 0, 0));
  pathLabel->adjustSize();
  pathBox_ = place(new QLineEdit(frame1), "savePathBox", pixels(660, 660, 3615, 315));
  pathButton_ =
      place(new QPushButton(QStringLiteral("..."), frame1), "pathBut", pixels(4440, 660, 375, 315));
  pathButton_->setAutoDefault(false);

  auto* minLabel = place(new QLabel(QStringLiteral("Min image size"), d), "Label3",
                         pixels(120, 1440, 1155, 195));
  minLabel->setFont(tahoma());
  lists_[OptionsList::MinImageSize] =
      place(new QComboBox(d), "cboMinImageSize", pixels(1380, 1380, 1155, 315));
  auto* maxLabel = place(new QLabel(QStringLiteral("Max image size"), d), "Label1",
                         pixels(2700, 1440, 1095, 195));
  maxLabel->setFont(tahoma());
  lists_[OptionsList::MaxImageSize] =
      place(new QComboBox(d), "cboMaxImageSize", pixels(3900, 1380, 1155, 315));

  auto* frame2 =
      place(new QGroupBox(QStringLiteral(" Flags "), d), "Frame2", pixels(60, 1800, 5055, 1275));
  checks_[OptionsCheck::Sounds] =
      checkBox(frame2, "chkSounds", " Allow sounds", pixels(240, 300, 2295, 195));
  checks_[OptionsCheck::Docs] =
      checkBox(frame2, "chkDocs", " Allow documents", pixels(240, 600, 2295, 195));
  checks_[OptionsCheck::Movies] =
      checkBox(frame2, "chkMovies", " Allow movies", pixels(240, 900, 2295, 195));
  checks_[OptionsCheck::AdultMode] =
      checkBox(frame2, "chkAdultMode", " Adult mode", pixels(2640, 300, 2295, 195));
  checks_[OptionsCheck::DebugMode] =
      checkBox(d, "chkDebugMode", " Log debug information", pixels(180, 3300, 2295, 195));

  // How far each caption may grow before it meets its neighbour or its frame's edge.
  fitCaption(check(OptionsCheck::AutoSaveMode), 5055 / kTwipsPerPixel - 8);
  fitCaption(minLabel, 1380 / kTwipsPerPixel - 2);
  fitCaption(maxLabel, 3900 / kTwipsPerPixel - 2);
  for (const auto box : {OptionsCheck::Sounds, OptionsCheck::Docs, OptionsCheck::Movies})
    fitCaption(check(box), 2640 / kTwipsPerPixel - 2);
  fitCaption(check(OptionsCheck::AdultMode), 5055 / kTwipsPerPixel - 8);
  fitCaption(check(OptionsCheck::DebugMode), 3300 / kTwipsPerPixel - 2);
  // The lists fit their entries as they are added, up to the next label or the frames' edge.
  listLimits_[OptionsList::MinImageSize] = 2700 / kTwipsPerPixel - 2;
  listLimits_[OptionsList::MaxImageSize] = (60 + 5055) / kTwipsPerPixel;
  for (auto& [which, box] : lists_) box->setSizeAdjustPolicy(QComboBox::AdjustToContents);

  auto* ok = button(d, "okBut", "&OK", pixels(3300, 3240, 855, 375));
  auto* cancel = button(d, "cancelBut", "C&ancel", pixels(4260, 3240, 855, 375));

  // Only the user's own clicks reach the logic; values it sets raise nothing.
  QObject::connect(ok, &QPushButton::clicked, d, [this] {
    if (events_.okClick) events_.okClick();
  });
  QObject::connect(cancel, &QPushButton::clicked, d, [this] {
    if (events_.cancelClick) events_.cancelClick();
  });
  QObject::connect(check(OptionsCheck::AutoSaveMode), &QCheckBox::clicked, d, [this] {
    if (events_.autoSaveClick) events_.autoSaveClick();
  });
  QObject::connect(pathButton_, &QPushButton::clicked, d, [this] {
    if (events_.pathClick) events_.pathClick();
  });
}

QtOptionsView::~QtOptionsView() = default;

std::string QtOptionsView::title() const { return dialog_->windowTitle().toStdString(); }

void QtOptionsView::setTitle(const std::string& title) {
  dialog_->setWindowTitle(QString::fromStdString(title));
}

int QtOptionsView::width() const {
  const int frame = dialog_->frameGeometry().width() - dialog_->width();
  return dialog_->width() * kTwipsPerPixel + (frame > 0 ? frame * kTwipsPerPixel : kFrameWidth);
}

int QtOptionsView::height() const {
  const int frame = dialog_->frameGeometry().height() - dialog_->height();
  return dialog_->height() * kTwipsPerPixel + (frame > 0 ? frame * kTwipsPerPixel : kFrameHeight);
}

void QtOptionsView::setPosition(int left, int top) {
  dialog_->move(left / kTwipsPerPixel, top / kTwipsPerPixel);
}

int QtOptionsView::checkValue(OptionsCheck box) const { return check(box)->isChecked() ? 1 : 0; }

void QtOptionsView::setCheckValue(OptionsCheck box, int value) {
  check(box)->setChecked(value != 0);
}

void QtOptionsView::setCheckVisible(OptionsCheck box, bool visible) {
  check(box)->setVisible(visible);
}

void QtOptionsView::clearList(OptionsList which) { list(which)->clear(); }

void QtOptionsView::addListEntry(OptionsList which, const std::string& text) {
  QComboBox* box = list(which);
  const int chosen = box->currentIndex();
  box->addItem(QString::fromStdString(text));
  box->setCurrentIndex(chosen);  // adding never chooses
  fitCaption(box, listLimits_.at(which));
}

int QtOptionsView::listIndex(OptionsList which) const { return list(which)->currentIndex(); }

void QtOptionsView::setListIndex(OptionsList which, int index) {
  list(which)->setCurrentIndex(index);
}

std::string QtOptionsView::listEntry(OptionsList which, int index) const {
  return list(which)->itemText(index).toStdString();
}

int QtOptionsView::listCount(OptionsList which) const { return list(which)->count(); }

std::string QtOptionsView::pathText() const { return pathBox_->text().toStdString(); }

void QtOptionsView::setPathText(const std::string& text) {
  pathBox_->setText(QString::fromStdString(text));
  pathBox_->end(false);
}

void QtOptionsView::setPathEnabled(bool enabled) { pathBox_->setEnabled(enabled); }

void QtOptionsView::setPathButtonEnabled(bool enabled) { pathButton_->setEnabled(enabled); }

bool QtOptionsView::pathEnabled() const { return pathBox_->isEnabled(); }

bool QtOptionsView::pathButtonEnabled() const { return pathButton_->isEnabled(); }

void QtOptionsView::showModal() { dialog_->exec(); }

void QtOptionsView::close() { dialog_->done(QDialog::Rejected); }

}  // namespace desktop
