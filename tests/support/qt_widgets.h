#pragma once

// Small helpers of the window tests: a child widget by its object name, and an answer to a
// modal dialog that what the test does next opens.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLatin1String>
#include <QTimer>
#include <functional>

namespace fenno::testing {

// The child of that object name; a failure names it when there is none.
template <class T>
T& Child(QObject& parent, const char* name) {
  T* child = parent.findChild<T*>(QLatin1String(name));
  EXPECT_NE(child, nullptr) << name;
  return *child;
}

// Once the event loop runs, `act` gets the modal dialog then open; it fails without one.
inline void OnModal(std::function<void(QDialog&)> act) {
  QTimer::singleShot(0, [act = std::move(act)] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    act(*dialog);
  });
}

}  // namespace fenno::testing
