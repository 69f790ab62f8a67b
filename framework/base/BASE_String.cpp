#include "BASE_String.h"

#include <cstring>

namespace {

int BoundedLength(const char* text, int maxLength)
{
  if (!text) {
    return 0;
  }
  if (maxLength <= 0) {
    return static_cast<int>(std::strlen(text));
  }
  const void* end = std::memchr(text, 0, static_cast<size_t>(maxLength));
  return end ? static_cast<int>(static_cast<const char*>(end) - text) : maxLength;
}

} // namespace

const char* BASE_String::Get() const
{
  const char* chars = Chars();
  return chars ? chars : "";
}

int BASE_String::GetLength() const
{
  return static_cast<int>(std::strlen(Get()));
}

bool BASE_String::Set(const char* text, int maxLength)
{
  int n = BoundedLength(text, maxLength);
  if (n == 0 && mBuf.GetSize() == 0) {
    return true;
  }
  if (n >= mBuf.GetSize()) {
    mBuf.Resize(n + 1, false);
    if (mBuf.GetSize() < n + 1) {
      return false;
    }
  } else {
    mBuf.Resize(n + 1, false);
  }
  // The text may lie inside this string's own storage.
  std::memmove(Chars(), text ? text : "", static_cast<size_t>(n));
  Chars()[n] = '\0';
  return true;
}

bool BASE_String::Append(const char* text, int maxLength)
{
  int n = BoundedLength(text, maxLength);
  if (n == 0) {
    return true;
  }
  int len = GetLength();
  // The appended text may lie inside this string's storage, which a resize can move.
  const char* base = Chars();
  bool inside = base && text >= base && text < base + mBuf.GetSize();
  long long offset = inside ? text - base : 0;
  mBuf.Resize(len + n + 1, false);
  if (mBuf.GetSize() < len + n + 1) {
    return false;
  }
  const char* source = inside ? Chars() + offset : text;
  std::memmove(Chars() + len, source, static_cast<size_t>(n));
  Chars()[len + n] = '\0';
  return true;
}

void BASE_String::DeleteSub(int position, int length)
{
  int len = GetLength();
  if (position < 0 || position >= len || length <= 0) {
    return;
  }
  if (length > len - position) {
    length = len - position;
  }
  char* chars = Chars();
  std::memmove(chars + position, chars + position + length,
               static_cast<size_t>(len - position - length + 1));
  mBuf.Resize(len - length + 1, false);
}
