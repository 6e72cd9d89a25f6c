// One move-only owner per Win32 handle kind, each with its own "empty" value.
#pragma once
#include <windows.h>

#include <utility>

template <typename Traits>
class UniqueResource {
public:
    using Type = typename Traits::Type;
    UniqueResource() = default;
    explicit UniqueResource(Type value) : value_(value) {}
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    UniqueResource(UniqueResource&& other) noexcept : value_(other.release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    ~UniqueResource() { reset(); }

    Type get() const { return value_; }
    explicit operator bool() const { return value_ != Traits::Empty(); }
    Type release() { return std::exchange(value_, Traits::Empty()); }
    void reset(Type value = Traits::Empty())
    {
        Type old = std::exchange(value_, value);
        if (old != Traits::Empty())
            Traits::Close(old);
    }
    // For out-parameters: releases what is held and returns the slot to fill.
    Type* put()
    {
        reset();
        return &value_;
    }

private:
    Type value_ = Traits::Empty();
};

struct KernelHandleTraits {  // CreateProcess, OpenProcess: NULL when empty
    using Type = HANDLE;
    static Type Empty() { return nullptr; }
    static void Close(Type h) { CloseHandle(h); }
};
struct FileHandleTraits {  // CreateFile: INVALID_HANDLE_VALUE when empty
    using Type = HANDLE;
    static Type Empty() { return INVALID_HANDLE_VALUE; }
    static void Close(Type h) { CloseHandle(h); }
};
struct FindHandleTraits {
    using Type = HANDLE;
    static Type Empty() { return INVALID_HANDLE_VALUE; }
    static void Close(Type h) { FindClose(h); }
};
struct RegKeyTraits {
    using Type = HKEY;
    static Type Empty() { return nullptr; }
    static void Close(Type h) { RegCloseKey(h); }
};
// Fonts, bitmaps, brushes, pens and palettes are all freed with DeleteObject, but each kind
// has its own owner, so that what it holds is passed on without a cast.
template <typename Handle>
struct GdiObjectTraits {
    using Type = Handle;
    static Type Empty() { return nullptr; }
    static void Close(Type h) { DeleteObject(h); }
};
struct MemoryDcTraits {
    using Type = HDC;
    static Type Empty() { return nullptr; }
    static void Close(Type h) { DeleteDC(h); }
};
struct GlobalMemTraits {
    using Type = HGLOBAL;
    static Type Empty() { return nullptr; }
    static void Close(Type h) { GlobalFree(h); }
};

struct MenuTraits {  // CreateMenu, CreatePopupMenu: destroyed with its submenus unless a window took it
    using Type = HMENU;
    static Type Empty() { return nullptr; }
    static void Close(Type h) { DestroyMenu(h); }
};

using UniqueHandle = UniqueResource<KernelHandleTraits>;
using UniqueFile = UniqueResource<FileHandleTraits>;
using UniqueFind = UniqueResource<FindHandleTraits>;
using UniqueHKey = UniqueResource<RegKeyTraits>;
using UniqueFont = UniqueResource<GdiObjectTraits<HFONT>>;
using UniqueBitmap = UniqueResource<GdiObjectTraits<HBITMAP>>;
using UniqueBrush = UniqueResource<GdiObjectTraits<HBRUSH>>;
using UniquePen = UniqueResource<GdiObjectTraits<HPEN>>;
using UniquePalette = UniqueResource<GdiObjectTraits<HPALETTE>>;
using UniqueMemoryDc = UniqueResource<MemoryDcTraits>;
using UniqueGlobal = UniqueResource<GlobalMemTraits>;
using UniqueMenu = UniqueResource<MenuTraits>;

// Both handles of a started process; the thread handle may be dropped at once.
struct ProcessInfo {
    UniqueHandle process;
    UniqueHandle thread;
    DWORD processId = 0;
};

// A DC obtained with GetDC, given back with ReleaseDC.
class WindowDc {
public:
    explicit WindowDc(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc()
    {
        if (dc_)
            ReleaseDC(hwnd_, dc_);
    }
    HDC get() const { return dc_; }

private:
    HWND hwnd_;
    HDC dc_;
};

// A GDI selection for one scope: puts the old object back on exit.
class SelectScope {
public:
    SelectScope(HDC dc, HGDIOBJ obj) : dc_(dc), old_(SelectObject(dc, obj)) {}
    SelectScope(const SelectScope&) = delete;
    SelectScope& operator=(const SelectScope&) = delete;
    ~SelectScope() { SelectObject(dc_, old_); }

private:
    HDC dc_;
    HGDIOBJ old_;
};
