#include <AppKit/NSWorkspace.h>
#include <Foundation/NSURL.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <new>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::mutex gOpenerLock;
std::string gOpener = "xdg-open";

bool ValidLinkText(const std::string& s)
{
  if (s.empty()) return false;
  for (unsigned char c : s) {
    if (c <= 0x20 || c == 0x7F) return false;
    if (std::strchr("<>\"{}|\\^`", c)) return false;
  }
  return true;
}

// Percent-encodes what a file path may hold but a link may not.
std::string EscapePath(const std::string& path)
{
  static const char* hex = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : path) {
    if (c <= 0x20 || c >= 0x7F || std::strchr("<>\"{}|\\^`%#?", c)) {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

int HexValue(char c)
{
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

NSURL* NSURL::URLWithString(NSString* text)
{
  if (!text || !ValidLinkText(text->UTF8String())) return nullptr;
  NSURL* url = new (std::nothrow) NSURL;
  if (!url) return nullptr;
  url->mText = text->UTF8String();
  return static_cast<NSURL*>(url->autorelease());
}

NSURL* NSURL::fileURLWithPath(NSString* path)
{
  if (!path || !*path->UTF8String()) return nullptr;
  std::string p = path->UTF8String();
  if (p[0] != '/') {
    char cwd[4096];
    if (!getcwd(cwd, sizeof cwd)) return nullptr;
    p = std::string(cwd) + "/" + p;
  }
  NSURL* url = new (std::nothrow) NSURL;
  if (!url) return nullptr;
  url->mText = "file://" + EscapePath(p);
  return static_cast<NSURL*>(url->autorelease());
}

NSString* NSURL::absoluteString() const
{
  return NSString::stringWithUTF8String(mText.c_str());
}

NSString* NSURL::scheme() const
{
  const size_t colon = mText.find(':');
  return NSString::stringWithUTF8String(colon == std::string::npos ? "" : mText.substr(0, colon).c_str());
}

BOOL NSURL::isFileURL() const
{
  return mText.compare(0, 7, "file://") == 0 ? YES : NO;
}

NSString* NSURL::path() const
{
  if (!isFileURL()) {
    // the part after the authority, up to a query or fragment
    const size_t start = mText.find("//");
    const size_t slash = start == std::string::npos ? std::string::npos : mText.find('/', start + 2);
    if (slash == std::string::npos) return NSString::stringWithUTF8String("");
    return NSString::stringWithUTF8String(mText.substr(slash, mText.find_first_of("?#", slash) - slash).c_str());
  }
  std::string out;
  for (size_t i = 7; i < mText.size(); ++i) {
    if (mText[i] == '%' && i + 2 < mText.size() && HexValue(mText[i + 1]) >= 0 && HexValue(mText[i + 2]) >= 0) {
      out += static_cast<char>(HexValue(mText[i + 1]) * 16 + HexValue(mText[i + 2]));
      i += 2;
    } else {
      out += mText[i];
    }
  }
  return NSString::stringWithUTF8String(out.c_str());
}

NSWorkspace* NSWorkspace::sharedWorkspace()
{
  static NSWorkspace* workspace = new NSWorkspace;
  return workspace;
}

void NSWorkspace::setOpenerCommand(const char* program)
{
  std::lock_guard<std::mutex> hold(gOpenerLock);
  gOpener = program && *program ? program : "xdg-open";
}

BOOL NSWorkspace::openURL(NSURL* url)
{
  if (!url) return NO;
  std::string opener;
  {
    std::lock_guard<std::mutex> hold(gOpenerLock);
    opener = gOpener;
  }
  NSString* text = url->absoluteString();
  std::string link = text ? text->UTF8String() : "";
  char* argv[] = {&opener[0], &link[0], nullptr};
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return NO;
  const pid_t child = fork();
  if (child < 0) {
    close(fds[0]);
    close(fds[1]);
    return NO;
  }
  if (child == 0) {
    // The opener runs in a grandchild, so that nobody waits for it; the pipe closes
    // at its exec or carries the exec error back.
    close(fds[0]);
    const pid_t grandchild = fork();
    if (grandchild == 0) {
      setsid();
      execvp(argv[0], argv);
      const int error = errno;
      if (write(fds[1], &error, sizeof error) < 0) _exit(126);
      _exit(127);
    }
    if (grandchild < 0) {
      const int error = errno;
      if (write(fds[1], &error, sizeof error) < 0) _exit(126);
    }
    _exit(0);
  }
  close(fds[1]);
  int error = 0;
  ssize_t n;
  do {
    n = read(fds[0], &error, sizeof error);
  } while (n < 0 && errno == EINTR);
  close(fds[0]);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  return n == 0 ? YES : NO;
}
