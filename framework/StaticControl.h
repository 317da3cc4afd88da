// A static control (text, icon or frame) bound to a dialog control.
#pragma once

#include "framework/Window.h"

class StaticControl : public Window {
public:
    using Window::Window;
};
