// The window runtime on the Qt desktop, with a person acting whenever the
// program waits: modal windows disable the others, Tab and Shift+Tab follow
// the table order, Enter clicks the default button, Esc and the close box
// raise the closing events, and the list's popup menu opens at the mouse
// (or, from the keyboard, at the selected row).
#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>
#include <QTableWidget>
#include <QTimer>
#include <QWindow>

#include <deque>
#include <functional>
#include <memory>

#include "platform/qt/window_system_qt.h"
#include "runtime/services.h"
#include "runtime/state.h"
#include "tests/qt/forms/sample_forms.h"
#include "tests/qt/qt_test_support.h"
#include "ui/runtime_api.h"

namespace platform::qt {
namespace {

using qt_tests::SampleLog;

class QtRuntimeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    rt::ResetRuntime();
    system_ = std::make_unique<QtWindowSystem>();
    InstallWindowSystem(system_.get());
    ui::InstallWindowRuntime();
    SampleLog().clear();
    qt_tests::RefuseClose(false);
    templates_ = qt_tests::SampleTemplates();
    std::uint32_t count = 0;
    const rt::Handler* handlers = qt_tests::SampleHandlers(&count);
    ASSERT_TRUE(ui::LoadTemplates(templates_.data(), static_cast<std::uint32_t>(templates_.size()), handlers, count));
    rt::State().windows.create_owner_window();
    system_->SetIdleHook(&QtRuntimeTest::OnIdle, this);
  }
  void TearDown() override {
    rt::State().windows.release_windows();
    rt::ResetRuntime();
    InstallWindowSystem(nullptr);
    system_.reset();
  }

  // Each step runs at one wait of the program, as a person's input would
  // arrive: posted to the event loop, after the idle work.
  void Then(std::function<void()> step) { steps_.push_back(std::move(step)); }
  static void OnIdle(void* context) {
    auto* test = static_cast<QtRuntimeTest*>(context);
    if (test->steps_.empty()) {
      ADD_FAILURE() << "the program waits and the test has nothing left to do";
      test->system_->PostQuit(0);
      return;
    }
    std::function<void()> step = std::move(test->steps_.front());
    test->steps_.pop_front();
    QTimer::singleShot(0, std::move(step));
  }
  void Run() {
    ASSERT_TRUE(ui::LoadStartWindow(qt_tests::kMain));
    ui::RunMessageLoop();
    EXPECT_TRUE(steps_.empty()) << steps_.size() << " steps were not taken";
  }

  WindowHandle Handle(std::uint32_t window, std::uint32_t unit) {
    return static_cast<WindowHandle>(ui::WindowRequest(ui::request::kSystemHandle, window, unit));
  }
  QWidget* Widget(std::uint32_t window, std::uint32_t unit) { return system_->WidgetOf(Handle(window, unit)); }
  void Click(std::uint32_t window, std::uint32_t unit) { QTest::mouseClick(Widget(window, unit), Qt::LeftButton); }
  void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(system_->WidgetOf(system_->GetFocus()), key, modifiers);
  }
  bool Logged(const std::string& entry) {
    for (const std::string& seen : SampleLog())
      if (seen == entry) return true;
    return false;
  }

  std::unique_ptr<QtWindowSystem> system_;
  std::vector<std::uint8_t> templates_;
  std::deque<std::function<void()>> steps_;
};

TEST_F(QtRuntimeTest, AModalWindowDisablesTheOthersUntilItCloses) {
  WindowHandle main = 0;
  Then([&] {
    main = Handle(qt_tests::kMain, 0);
    Click(qt_tests::kMain, qt_tests::kOpenDialog);
  });
  Then([&] {
    EXPECT_FALSE(system_->IsEnabled(main));
    EXPECT_FALSE(system_->WidgetOf(main)->isEnabled());
    // The modal window stays above the one it disabled.
    QWindow* dialog = system_->WidgetOf(Handle(qt_tests::kDialog, 0))->windowHandle();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->transientParent(), system_->WidgetOf(main)->windowHandle());
    EXPECT_EQ(system_->GetActive(), Handle(qt_tests::kDialog, 0));
    Click(qt_tests::kMain, qt_tests::kOk);  // the disabled window takes no click
  });
  Then([&] {
    EXPECT_FALSE(Logged("ok"));
    Click(qt_tests::kDialog, qt_tests::kDialogButton);
  });
  Then([&] {
    EXPECT_TRUE(Logged("dialog closed"));
    EXPECT_TRUE(system_->IsEnabled(main));
    EXPECT_EQ(system_->GetActive(), main);
    Click(qt_tests::kMain, qt_tests::kOk);
  });
  Then([&] {
    EXPECT_TRUE(Logged("ok"));
    ui::DestroyUnit(qt_tests::kMain, 0, true);
  });
  Run();
}

TEST_F(QtRuntimeTest, TabOrderFollowsTheTableAndEnterClicksTheDefaultButton) {
  std::vector<WindowHandle> stops, focus;
  auto note_and_press = [&](Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    Then([&, key, modifiers] {
      focus.push_back(system_->GetFocus());
      Key(key, modifiers);
    });
  };
  Then([&] {
    stops = {Handle(qt_tests::kMain, qt_tests::kEdit), Handle(qt_tests::kMain, qt_tests::kOk),
             Handle(qt_tests::kMain, qt_tests::kList), Handle(qt_tests::kMain, qt_tests::kOpenDialog)};
    Click(qt_tests::kMain, qt_tests::kEdit);
  });
  for (int i = 0; i < 4; ++i) note_and_press(Qt::Key_Tab);
  note_and_press(Qt::Key_Tab, Qt::ShiftModifier);
  note_and_press(Qt::Key_Tab, Qt::ShiftModifier);
  note_and_press(Qt::Key_Return);  // on the list: the window's default button takes it
  Then([&] { ui::DestroyUnit(qt_tests::kMain, 0, true); });
  Run();
  ASSERT_EQ(stops.size(), 4u);
  std::vector<WindowHandle> expected = {stops[0], stops[1], stops[2], stops[3], stops[0], stops[3], stops[2]};
  EXPECT_EQ(focus, expected) << "table order, wrapping around, and back with Shift+Tab";
  EXPECT_TRUE(Logged("ok")) << "Enter clicks the default button";
}

TEST_F(QtRuntimeTest, TheCloseBoxAndEscRaiseTheClosingEvents) {
  Then([&] {
    qt_tests::RefuseClose(true);
    system_->WidgetOf(Handle(qt_tests::kMain, 0))->close();  // the close box
  });
  Then([&] {
    EXPECT_TRUE(Logged("query"));
    EXPECT_FALSE(Logged("destroying")) << "the query refused";
    qt_tests::RefuseClose(false);
    Click(qt_tests::kMain, qt_tests::kEdit);
  });
  Then([&] { Key(Qt::Key_Escape); });
  Run();
  EXPECT_TRUE(Logged("destroying"));
}

TEST_F(QtRuntimeTest, TheListsPopupOpensAtTheMouseOrAtTheSelectedRow) {
  QPoint clicked, at_row;
  std::vector<QPoint> menus;
  // Inside the popup's own loop: note where it opened, then choose.
  auto choose = [&](int item) {
    QTimer::singleShot(20, [&, item] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      ASSERT_NE(menu, nullptr);
      menus.push_back(menu->pos());
      QAction* action = menu->actions().at(item);
      QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
    });
  };
  Then([&] {
    WindowHandle list = Handle(qt_tests::kMain, qt_tests::kList);
    for (int row = 0; row < 3; ++row) system_->ListInsertRow(list, row, std::to_string(row));
    auto* table = static_cast<QTableWidget*>(system_->WidgetOf(list));
    QPoint inside = table->visualRect(table->model()->index(1, 0)).center();
    clicked = table->viewport()->mapToGlobal(inside);
    choose(0);
    QTest::mouseClick(table->viewport(), Qt::RightButton, {}, inside);
  });
  Then([&] {
    EXPECT_TRUE(Logged("rclick"));
    EXPECT_TRUE(Logged("menu1"));
    auto* table = static_cast<QTableWidget*>(Widget(qt_tests::kMain, qt_tests::kList));
    QRect row = table->visualRect(table->model()->index(1, 0));
    at_row = table->viewport()->mapToGlobal(QPoint(row.left(), row.bottom() + 1));
    choose(2);  // past the separator
    table->setFocus();
    QTest::keyClick(table, Qt::Key_Menu);
  });
  Then([&] {
    EXPECT_TRUE(Logged("menu3"));
    choose(0);
    QTest::keyClick(Widget(qt_tests::kMain, qt_tests::kList), Qt::Key_F10, Qt::ShiftModifier);
  });
  Then([&] { ui::DestroyUnit(qt_tests::kMain, 0, true); });
  Run();
  ASSERT_EQ(menus.size(), 3u);
  EXPECT_EQ(menus[0], clicked + QPoint(3, 3)) << "at the mouse, 3 pixels right and down";
  EXPECT_EQ(menus[1], at_row + QPoint(3, 3)) << "the menu key: at the selected row";
  EXPECT_EQ(menus[2], at_row + QPoint(3, 3)) << "Shift+F10 likewise";
}

}  // namespace
}  // namespace platform::qt
