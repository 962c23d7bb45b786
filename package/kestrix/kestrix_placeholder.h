#pragma once
// The placeholder: a dotted box of a control's size that stands in for a
// class a preview cannot run, showing the class's name and the control's text.

#include <windows.h>

#include <string>

namespace kestrix {

constexpr const wchar_t* kPlaceholderClass = L"KestrixPlaceholder";

// Registers the placeholder's class; false when the system refuses it.
bool RegisterPlaceholderClass(HINSTANCE instance);

// Names the class a placeholder stands in for; it draws the name with its text.
void NamePlaceholder(HWND placeholder, const std::wstring& cls);

}  // namespace kestrix
