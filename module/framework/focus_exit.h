// OnExit of an edit: runs a handler when the focus leaves the edit for another control of the
// same window. Switching to another application, opening a popup or a menu, or closing the
// window do not count.
#pragma once

#include <QWidget>

#include <functional>

namespace rsimform {

void OnExitToControlOf(QWidget* window, QWidget* control, std::function<void()> onExit);

} // namespace rsimform
