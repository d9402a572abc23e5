// Helpers of the toolkit's Windows tests: an event log, forms, real keyboard
// input, a watchdog for modal loops, and screenshots saved as PNG.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "test_files.h"
#include "ui/controls.h"

// Every event handler of the tests appends "<tag> " here.
inline std::string& EventLog() {
  static std::string log;
  return log;
}
inline void LogNotify(void* tag, TWinControl*) { EventLog() += static_cast<const char*>(tag) + std::string(" "); }
inline TEvent<TNotifyProc> LogAs(const char* tag) { return {LogNotify, const_cast<char*>(tag)}; }

// Objects of a toolkit class that count themselves and note their freeing.
inline int& LiveObjects() {
  static int n = 0;
  return n;
}
inline std::string& FreedOrder() {
  static std::string s;
  return s;
}
template <class T>
struct Counted : T {
  std::string Name;
  Counted(TWinControl* parent, const char* name) : T(parent), Name(name) { LiveObjects()++; }
  ~Counted() override {
    LiveObjects()--;
    FreedOrder() += Name + " ";
  }
};

// A top-level toolkit window at a known place; not yet created.
inline void PlaceForm(TWinControl* f, int left, int top, int width, int height) {
  f->Left = left;
  f->Top = top;
  f->Width = width;
  f->Height = height;
  f->HitTestAnswer = 0;  // the frame and caption work as usual
}

// Handles messages for about `ms` milliseconds.
inline void PumpFor(DWORD ms) {
  DWORD end = GetTickCount() + ms;
  do {
    TWinControl::ProcessMessages();
    Sleep(5);
  } while ((int)(end - GetTickCount()) > 0);
}

// Brings a top-level window to the front with the keyboard focus, as a user's
// click would, so that real key input reaches it.
inline bool MakeForeground(HWND w) {
  for (int i = 0; i < 50; i++) {
    SetForegroundWindow(w);
    SetActiveWindow(w);
    PumpFor(20);
    if (GetForegroundWindow() == w) return true;
  }
  return false;
}

// Presses and releases keys through the system's input queue, then lets the
// thread handle the messages.
inline void PressKey(WORD key, bool shift = false, bool alt = false) {
  std::vector<INPUT> in;
  auto add = [&](WORD vk, bool up) {
    INPUT i = {};
    i.type = INPUT_KEYBOARD;
    i.ki.wVk = vk;
    i.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    in.push_back(i);
  };
  if (shift) add(VK_SHIFT, false);
  if (alt) add(VK_MENU, false);
  add(key, false);
  add(key, true);
  if (alt) add(VK_MENU, true);
  if (shift) add(VK_SHIFT, true);
  SendInput((UINT)in.size(), in.data(), sizeof(INPUT));
  PumpFor(150);
}

// Ends a modal loop that would otherwise hang the test run.
struct TWatchdog {
  static TWinControl*& Target() {
    static TWinControl* t = nullptr;
    return t;
  }
  static void CALLBACK Fire(HWND, UINT, UINT_PTR, DWORD) {
    if (Target()) Target()->EndModal(-99);
  }
  UINT_PTR Timer;
  explicit TWatchdog(TWinControl* w, UINT ms = 5000) {
    Target() = w;
    Timer = SetTimer(nullptr, 0, ms, Fire);
  }
  ~TWatchdog() {
    KillTimer(nullptr, Timer);
    Target() = nullptr;
  }
};

// A picture of part of the screen, 24-bit colour, top row first.
struct TShot {
  int Width = 0, Height = 0;
  std::vector<uint8_t> Rgb;
  COLORREF At(int x, int y) const {
    const uint8_t* p = &Rgb[(size_t)(y * Width + x) * 3];
    return RGB(p[0], p[1], p[2]);
  }
};

inline TShot CaptureScreen(const RECT& r) {
  TShot s;
  s.Width = r.right - r.left;
  s.Height = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = s.Width;
  bi.bmiHeader.biHeight = -s.Height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(mem, dib);
  BitBlt(mem, 0, 0, s.Width, s.Height, screen, r.left, r.top, SRCCOPY);
  GdiFlush();
  s.Rgb.resize((size_t)s.Width * s.Height * 3);
  const uint8_t* src = static_cast<const uint8_t*>(bits);
  for (int i = 0; i < s.Width * s.Height; i++) {
    s.Rgb[i * 3] = src[i * 4 + 2];
    s.Rgb[i * 3 + 1] = src[i * 4 + 1];
    s.Rgb[i * 3 + 2] = src[i * 4];
  }
  SelectObject(mem, old);
  DeleteObject(dib);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  return s;
}

inline TShot CaptureWindow(HWND w) {
  RECT r;
  GetWindowRect(w, &r);
  return CaptureScreen(r);
}

// An uncompressed PNG (stored deflate blocks): large, but needs no library.
inline bool SavePng(const std::string& path, const TShot& s) {
  auto crc = [](const std::vector<uint8_t>& d, size_t from) {
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = from; i < d.size(); i++) {
      c ^= d[i];
      for (int k = 0; k < 8; k++) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
    }
    return c ^ 0xFFFFFFFFu;
  };
  auto be32 = [](std::vector<uint8_t>& d, uint32_t v) {
    for (int i = 3; i >= 0; i--) d.push_back((uint8_t)(v >> (i * 8)));
  };
  std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', 13, 10, 26, 10};
  auto chunk = [&](const char* type, const std::vector<uint8_t>& body) {
    be32(out, (uint32_t)body.size());
    std::vector<uint8_t> c(type, type + 4);
    c.insert(c.end(), body.begin(), body.end());
    out.insert(out.end(), c.begin(), c.end());
    be32(out, crc(c, 0));
  };
  std::vector<uint8_t> ihdr;
  be32(ihdr, (uint32_t)s.Width);
  be32(ihdr, (uint32_t)s.Height);
  ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});
  chunk("IHDR", ihdr);
  std::vector<uint8_t> raw;
  for (int y = 0; y < s.Height; y++) {
    raw.push_back(0);
    raw.insert(raw.end(), s.Rgb.begin() + (size_t)y * s.Width * 3, s.Rgb.begin() + (size_t)(y + 1) * s.Width * 3);
  }
  std::vector<uint8_t> z = {0x78, 0x01};
  uint32_t a = 1, b = 0;
  for (uint8_t v : raw) {
    a = (a + v) % 65521;
    b = (b + a) % 65521;
  }
  for (size_t at = 0; at < raw.size(); at += 65535) {
    size_t n = raw.size() - at < 65535 ? raw.size() - at : 65535;
    z.push_back(at + n >= raw.size() ? 1 : 0);
    z.push_back((uint8_t)n);
    z.push_back((uint8_t)(n >> 8));
    z.push_back((uint8_t)~n);
    z.push_back((uint8_t)(~n >> 8));
    z.insert(z.end(), raw.begin() + at, raw.begin() + at + n);
  }
  be32(z, (b << 16) | a);
  chunk("IDAT", z);
  chunk("IEND", {});
  return WriteWholeFile(path, out);
}

// Whether any pixel of the rectangle (in the picture) differs from `colour`.
inline bool AnyPixelNot(const TShot& s, RECT r, COLORREF colour) {
  for (int y = r.top; y < r.bottom; y++)
    for (int x = r.left; x < r.right; x++)
      if (s.At(x, y) != colour) return true;
  return false;
}
inline int CountPixels(const TShot& s, RECT r, COLORREF colour) {
  int n = 0;
  for (int y = r.top; y < r.bottom; y++)
    for (int x = r.left; x < r.right; x++)
      if (s.At(x, y) == colour) n++;
  return n;
}

// A control's rectangle in the picture of its top-level window.
inline RECT RectIn(HWND top, HWND control) {
  RECT w, c;
  GetWindowRect(top, &w);
  GetWindowRect(control, &c);
  OffsetRect(&c, -w.left, -w.top);
  return c;
}
