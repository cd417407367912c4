// Notes the monotonic time (nanoseconds) at which anything first shows on
// the X screen: the first pixel of the root window that is not black. Any
// program can be timed so, a game of another make as well as this one, so
// scripts/measure-peers.sh times them all this way, from the launch stamp of
// morvex2-launch-stamp. The screen is read through shared memory every two
// milliseconds, which costs the X server a fraction of a millisecond each
// time; a program whose first picture is all black is timed at its next.
// Usage: morvex2-first-content READY_FILE OUT_FILE [SECONDS]
//   writes READY_FILE once the screen is watched (and found black), then
//   OUT_FILE with the time; status 1 when nothing showed within SECONDS (10).
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

long long Now() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

bool Note(const char* path, long long value) {
  std::FILE* out = std::fopen(path, "w");
  if (out == nullptr) return false;
  std::fprintf(out, "%lld\n", value);
  return std::fclose(out) == 0;
}

// Whether any pixel of the image is other than black (its padding aside).
bool AnyContent(const XImage& image) {
  const int bytes = image.width * image.bits_per_pixel / 8;
  for (int y = 0; y < image.height; ++y) {
    const char* row = image.data + static_cast<long>(y) * image.bytes_per_line;
    for (int x = 0; x < bytes; ++x) {
      if (row[x] != 0) return true;
    }
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s READY_FILE OUT_FILE [SECONDS]\n", argv[0]);
    return 2;
  }
  const double seconds = argc > 3 ? std::atof(argv[3]) : 10.0;
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr || !XShmQueryExtension(display)) {
    std::fprintf(stderr, "%s: no X display with shared memory\n", argv[0]);
    return 2;
  }
  const int screen = DefaultScreen(display);
  const Window root = RootWindow(display, screen);
  XShmSegmentInfo shm{};
  XImage* image = XShmCreateImage(display, DefaultVisual(display, screen),
                                  DefaultDepth(display, screen), ZPixmap, nullptr, &shm,
                                  DisplayWidth(display, screen), DisplayHeight(display, screen));
  shm.shmid = shmget(IPC_PRIVATE, static_cast<size_t>(image->bytes_per_line) * image->height,
                     IPC_CREAT | 0600);
  shm.shmaddr = image->data = static_cast<char*>(shmat(shm.shmid, nullptr, 0));
  shm.readOnly = False;
  XShmAttach(display, &shm);
  XSync(display, False);
  shmctl(shm.shmid, IPC_RMID, nullptr);  // gone once both sides detach

  XShmGetImage(display, root, image, 0, 0, AllPlanes);
  if (AnyContent(*image)) {
    std::fprintf(stderr, "%s: the screen is not black to begin with\n", argv[0]);
    return 2;
  }
  if (!Note(argv[1], Now())) return 2;
  const long long deadline = Now() + static_cast<long long>(seconds * 1e9);
  const timespec pause{0, 2000000};
  while (Now() < deadline) {
    XShmGetImage(display, root, image, 0, 0, AllPlanes);
    if (AnyContent(*image)) return Note(argv[2], Now()) ? 0 : 2;
    nanosleep(&pause, nullptr);
  }
  return 1;
}
