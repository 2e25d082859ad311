// The options dialog's and the message window's real widgets, offscreen, driven by their logic
// (on the fake platform) and by clicks.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "core/program.h"
#include "desktop/qt_message_view.h"
#include "desktop/qt_options_view.h"
#include "dialogs/message_window.h"
#include "dialogs/options_dialog.h"
#include "dialogs/secondary_windows.h"
#include "support/fake_platform.h"

namespace {

// The fake platform with the real options dialog in place of the fake one.
struct RealOptionsPlatform : fake::FakePlatform {
  desktop::QtOptionsView view;
  platform::OptionsView& optionsView() override { return view; }
};

template <typename Widget>
Widget* find(const desktop::QtOptionsView& view, const char* name) {
  auto* widget = view.dialog().findChild<Widget*>(QString::fromLatin1(name));
  EXPECT_NE(widget, nullptr) << name;
  return widget;
}

TEST(OptionsView, LoadedByTheDialogItShowsTheStoredOptions) {
  RealOptionsPlatform platform;
  platform.store.values = {
      {"MaxImageSize", "1024x768"}, {"AdultMode", "1"}, {"AutosavePath", "/pics"}};
  Program program(platform);
  SecondaryWindows windows(program);
  program.options->Load();
  auto& view = platform.view;

  EXPECT_EQ(find<QComboBox>(view, "cboMinImageSize")->currentText(), "100x100");
  EXPECT_EQ(find<QComboBox>(view, "cboMaxImageSize")->currentText(), "1024x768");
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
}

// Before the window system has framed it, its outer size is the design's: the client area and
// a title bar and border of the usual size.
TEST(OptionsView, UnshownItHasTheDesignsOuterSize) {
  desktop::QtOptionsView view;
  EXPECT_EQ(view.width(), 5175 + 120);
  EXPECT_EQ(view.height(), 3705 + 405);
}

TEST(OptionsView, TheUsersClicksDriveTheDialog) {
  RealOptionsPlatform platform;
  Program program(platform);
  SecondaryWindows windows(program);
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

struct RealMessagePlatform : fake::FakePlatform {
  RealMessagePlatform() : view(std::make_unique<fake::FakeTimer>(*this, "msgTextTimer")) {}
  desktop::QtMessageView view;
  platform::MessageView& messageView() override { return view; }
};

TEST(QtMessageView, ShowsANoticeSizedToItsTextAndClosesItself) {
  RealMessagePlatform platform;
  Program program(platform);
  SecondaryWindows windows(program);
  QWidget& window = platform.view.window();
  QLabel& label = platform.view.label();
  ShowMessage(program, "File saved as 20040103-142501.jpg");
  EXPECT_TRUE(window.isVisible());
  EXPECT_EQ(label.text(), "File saved as 20040103-142501.jpg");
  const int shortWidth = window.width();

  ShowMessage(program, "A much longer notice that needs a much wider window than the first one");
  EXPECT_GT(window.width(), shortWidth);
  EXPECT_EQ(window.width(), label.width() + 24 - (window.frameGeometry().width() - window.width()));

  platform.advanceSeconds(5);
  EXPECT_FALSE(window.isVisible());
}

}  // namespace
