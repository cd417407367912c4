// Says whether the X server shows a mouse pointer: exit status 0 when the
// pointer's image has a visible pixel, 1 when it is blank (hidden), 2 when
// the server cannot be asked.
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

#include <cstdio>

int main() {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fputs("pointer_shown: no X display\n", stderr);
    return 2;
  }
  int eventBase = 0;
  int errorBase = 0;
  XFixesCursorImage* image = XFixesQueryExtension(display, &eventBase, &errorBase) != 0
                                 ? XFixesGetCursorImage(display)
                                 : nullptr;
  if (image == nullptr) {
    std::fputs("pointer_shown: the server has no XFixes cursor image\n", stderr);
    XCloseDisplay(display);
    return 2;
  }
  bool visible = false;
  const long pixels = static_cast<long>(image->width) * image->height;
  for (long i = 0; i < pixels && !visible; ++i) visible = (image->pixels[i] >> 24 & 0xFF) != 0;
  std::printf("%s %dx%d\n", visible ? "shown" : "hidden", image->width, image->height);
  XFree(image);
  XCloseDisplay(display);
  return visible ? 0 : 1;
}
