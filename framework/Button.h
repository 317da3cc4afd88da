// A push button bound to a dialog control.
#pragma once

#include "framework/Window.h"

class Button : public Window {
public:
    using Window::Window;
};
