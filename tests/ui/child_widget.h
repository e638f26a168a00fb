#pragma once

#include <QWidget>
#include <QtGlobal>

namespace sonvarek::test {

// The child widget of type T named `name`; a test cannot go on without it.
template <class T>
T* Child(const QWidget& parent, const char* name) {
  T* child = parent.findChild<T*>(name);
  if (child == nullptr) qFatal("no child %s", name);
  return child;
}

}  // namespace sonvarek::test
