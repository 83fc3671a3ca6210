#pragma once

#include <functional>

namespace kolvar {

// Ends the process at once with `code`: no window is closed in order, no
// connection told, nothing saved. Callers must not rely on it returning, but
// must cope when it does (tests install their own ender and go on).
void SurecBitir(int code);

// Replaces the ender (empty restores the immediate end); for tests.
void setSurecBitirici(std::function<void(int code)> ender);

} // namespace kolvar
