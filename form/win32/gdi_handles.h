#pragma once

// Owned Win32 user-interface handles: each is released when its object goes.
#include "form/win32/windows_api.h"

#include <utility>

namespace dalvon::win32 {

// A GDI object (brush, pen, font, bitmap) deleted when the object goes.
template <class Object>
class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(Object object) : m_object(object) {}
    GdiObject(GdiObject&& other) noexcept : m_object(std::exchange(other.m_object, nullptr)) {}
    GdiObject& operator=(GdiObject&& other) noexcept {
        if (this != &other) {
            reset();
            m_object = std::exchange(other.m_object, nullptr);
        }
        return *this;
    }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    ~GdiObject() { reset(); }

    Object get() const { return m_object; }
    void reset() {
        if (m_object != nullptr)
            ::DeleteObject(m_object);
        m_object = nullptr;
    }

private:
    Object m_object = nullptr;
};

// Selects a GDI object into a device context and puts the previous one back when it goes:
// a DC must not be left holding an object that is about to be deleted.
class Selection {
public:
    Selection(HDC dc, HGDIOBJ object) : m_dc(dc), m_previous(::SelectObject(dc, object)) {}
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;
    ~Selection() { ::SelectObject(m_dc, m_previous); }

private:
    HDC m_dc;
    HGDIOBJ m_previous;
};

// A memory device context, deleted when the object goes.
class MemoryDc {
public:
    explicit MemoryDc(HDC like) : m_dc(::CreateCompatibleDC(like)) {}
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;
    ~MemoryDc() {
        if (m_dc != nullptr)
            ::DeleteDC(m_dc);
    }
    HDC get() const { return m_dc; }

private:
    HDC m_dc;
};

// A window's device context from GetDC, released when the object goes.
class WindowDc {
public:
    explicit WindowDc(HWND window) : m_window(window), m_dc(::GetDC(window)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc() {
        if (m_dc != nullptr)
            ::ReleaseDC(m_window, m_dc);
    }
    HDC get() const { return m_dc; }

private:
    HWND m_window;
    HDC m_dc;
};

// A registered window class, unregistered when the object goes (after its windows).
class WindowClass {
public:
    explicit WindowClass(const WNDCLASSEXW& description)
        : m_name(description.lpszClassName),
          m_instance(description.hInstance),
          m_atom(::RegisterClassExW(&description)) {}
    WindowClass(const WindowClass&) = delete;
    WindowClass& operator=(const WindowClass&) = delete;
    ~WindowClass() {
        if (m_atom != 0)
            ::UnregisterClassW(m_name, m_instance);
    }
    bool registered() const { return m_atom != 0; }

private:
    const wchar_t* m_name;
    HINSTANCE m_instance;
    ATOM m_atom;
};

// A window destroyed when the object goes, unless it is gone already.
class OwnedWindow {
public:
    OwnedWindow() = default;
    explicit OwnedWindow(HWND window) : m_window(window) {}
    OwnedWindow(const OwnedWindow&) = delete;
    OwnedWindow& operator=(const OwnedWindow&) = delete;
    ~OwnedWindow() { reset(); }

    HWND get() const { return m_window; }
    void reset(HWND window = nullptr) {
        if (m_window != nullptr && ::IsWindow(m_window))
            ::DestroyWindow(m_window);
        m_window = window;
    }

private:
    HWND m_window = nullptr;
};

}  // namespace dalvon::win32
