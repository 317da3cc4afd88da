// An edit box bound to a dialog control.
#pragma once

#include "framework/Window.h"

class EditControl : public Window {
public:
    using Window::Window;
};
