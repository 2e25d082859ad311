// The options dialog's real widgets, offscreen: captions, geometry, enablement, and the
// dialog's logic driving them.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/program.h"
#include "desktop/qt_options_view.h"
#include "dialogs/options_dialog.h"
#include "qt_test_app.h"
#include "support/fake_platform.h"

namespace {

using platform::OptionsCheck;
using platform::OptionsList;

// The fake platform with the real options dialog in place of the fake one.
struct RealOptionsPlatform : fake::FakePlatform {
  desktop::QtOptionsView view;
  platform::OptionsView& optionsView() override { return view; }
};

struct OptionsViewTest : ::testing::Test {
  static void SetUpTestSuite() { desktop_test::ensureApplication(); }

  template <typename Widget>
  Widget* find(const desktop::QtOptionsView& view, const char* name) {
    auto* widget = view.dialog().findChild<Widget*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  QString caption(const desktop::QtOptionsView& view, const char* name) {
    QWidget* widget = find<QWidget>(view, name);
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) return button->text();
    if (auto* label = qobject_cast<QLabel*>(widget)) return label->text();
    if (auto* group = qobject_cast<QGroupBox*>(widget)) return group->title();
    return {};
  }
};

TEST_F(OptionsViewTest, CarriesTheDesignsCaptionsAndPlaces) {
  desktop::QtOptionsView view;
  struct Control {
    const char* name;
    const char* caption;
    QRect pixels;  // design twips / 15
  };
  const Control controls[] = {
      {"Frame1", " Options ", {4, 4, 337, 81}},
      {"chkAutoSaveMode", " Auto-save images", {16, 20, 109, 17}},
      {"savePathBox", "", {44, 44, 241, 21}},
      {"pathBut", "...", {296, 44, 25, 21}},
      {"Label3", "Min image size", {8, 96, 77, 13}},
      {"cboMinImageSize", "", {92, 92, 77, 21}},
      {"Label1", "Max image size", {180, 96, 73, 13}},
      {"cboMaxImageSize", "", {260, 92, 77, 21}},
      {"Frame2", " Flags ", {4, 120, 337, 85}},
      {"chkSounds", " Allow sounds", {16, 20, 153, 13}},
      {"chkDocs", " Allow documents", {16, 40, 153, 13}},
      {"chkMovies", " Allow movies", {16, 60, 153, 13}},
      {"chkAdultMode", " Adult mode", {176, 20, 153, 13}},
      {"chkDebugMode", " Log debug information", {12, 220, 153, 13}},
      {"okBut", "&OK", {220, 216, 57, 25}},
      {"cancelBut", "C&ancel", {284, 216, 57, 25}},
  };
  EXPECT_EQ(view.dialog().windowTitle(), "Options");
  EXPECT_EQ(view.dialog().size(), QSize(345, 247));
  for (const auto& c : controls) {
    SCOPED_TRACE(c.name);
    QWidget* widget = find<QWidget>(view, c.name);
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(caption(view, c.name), QString::fromUtf8(c.caption));
    // In place; a caption in a wider font than the design's may widen its control.
    EXPECT_EQ(widget->pos(), c.pixels.topLeft());
    EXPECT_EQ(widget->height(), c.pixels.height());
    EXPECT_GE(widget->width(), c.pixels.width());
  }
  EXPECT_EQ(find<QLabel>(view, "Label2")->text(), "Path");
  EXPECT_EQ(find<QLabel>(view, "Label2")->pos(), QPoint(16, 48));
  EXPECT_EQ(find<QWidget>(view, "chkSounds")->parentWidget()->objectName(), "Frame2");
  EXPECT_EQ(find<QWidget>(view, "savePathBox")->parentWidget()->objectName(), "Frame1");
  for (const char* name : {"okBut", "cancelBut"}) {
    auto* button = find<QPushButton>(view, name);
    EXPECT_FALSE(button->isDefault()) << name;
    EXPECT_FALSE(button->autoDefault()) << name;
    EXPECT_TRUE(button->font().bold()) << name;
  }
}

TEST_F(OptionsViewTest, LoadedByTheDialogItShowsTheStoredOptions) {
  RealOptionsPlatform platform;
  platform.store.values = {
      {"MaxImageSize", "1024x768"}, {"AdultMode", "1"}, {"AutosavePath", "/pics"}};
  Program program(platform);
  program.options->Load();
  auto& view = platform.view;

  EXPECT_EQ(find<QComboBox>(view, "cboMinImageSize")->currentText(), "100x100");
  EXPECT_EQ(find<QComboBox>(view, "cboMaxImageSize")->currentText(), "1024x768");
  EXPECT_EQ(find<QComboBox>(view, "cboMaxImageSize")->count(), 11);
  EXPECT_TRUE(find<QCheckBox>(view, "chkAdultMode")->isChecked());
  EXPECT_FALSE(find<QCheckBox>(view, "chkDebugMode")->isVisibleTo(&view.dialog()));
  EXPECT_EQ(find<QLineEdit>(view, "savePathBox")->text(), "/pics");
  EXPECT_EQ(find<QLineEdit>(view, "savePathBox")->cursorPosition(), 5);
  EXPECT_FALSE(find<QLineEdit>(view, "savePathBox")->isEnabled());
  EXPECT_FALSE(find<QPushButton>(view, "pathBut")->isEnabled());

  // A stored size that is not an entry leaves the list with nothing chosen.
  platform.store.values["MinImageSize"] = "unlimited";
  program.options->cancelBut_Click();
  program.options->Load();
  EXPECT_EQ(find<QComboBox>(view, "cboMinImageSize")->currentIndex(), -1);
  EXPECT_EQ(find<QComboBox>(view, "cboMinImageSize")->currentText(), "");
}

TEST_F(OptionsViewTest, TheUsersClicksDriveTheDialog) {
  RealOptionsPlatform platform;
  Program program(platform);
  auto& view = platform.view;
  auto* autoSave = find<QCheckBox>(view, "chkAutoSaveMode");
  auto* pathBox = find<QLineEdit>(view, "savePathBox");
  auto* pathButton = find<QPushButton>(view, "pathBut");

  // The modal loop runs; the user clicks inside it, then presses OK.
  QTimer::singleShot(0, &view.dialog(), [&] {
    QTest::mouseClick(autoSave, Qt::LeftButton);
    EXPECT_TRUE(pathBox->isEnabled());
    EXPECT_TRUE(pathButton->isEnabled());
    platform.dialogs_.folderChoice = "/chosen";
    QTest::mouseClick(pathButton, Qt::LeftButton);
    EXPECT_EQ(pathBox->text(), "/chosen");
    QTest::mouseClick(autoSave, Qt::LeftButton);
    EXPECT_FALSE(pathBox->isEnabled());
    QTest::mouseClick(autoSave, Qt::LeftButton);
    QTest::mouseClick(find<QPushButton>(view, "okBut"), Qt::LeftButton);
  });
  program.options->PlaceOptions();
  program.options->ShowModal();

  EXPECT_FALSE(view.dialog().isVisible());
  EXPECT_EQ(platform.store.values["AutosaveMode"], "1");
  EXPECT_EQ(platform.store.values["AutosavePath"], "/chosen");
  EXPECT_EQ(platform.store.values["MaxImageSize"], "800x600");
  EXPECT_TRUE(program.settings.AutosaveMode);

  // Cancel: the modal loop ends and nothing is written.
  platform.store.writes.clear();
  QTimer::singleShot(0, &view.dialog(), [&] {
    QTest::mouseClick(find<QCheckBox>(view, "chkAdultMode"), Qt::LeftButton);
    QTest::mouseClick(find<QPushButton>(view, "cancelBut"), Qt::LeftButton);
  });
  program.options->ShowModal();
  EXPECT_TRUE(platform.store.writes.empty());
}

TEST_F(OptionsViewTest, PlacesItselfInTwips) {
  desktop::QtOptionsView view;
  view.setPosition(600, 1500);
  EXPECT_EQ(view.dialog().pos(), QPoint(40, 100));
}

}  // namespace
