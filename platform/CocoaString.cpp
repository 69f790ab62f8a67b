#include <Foundation/NSDictionary.h>
#include <Foundation/NSString.h>

#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <new>

NSString* NSString::stringWithUTF8String(const char* utf8)
{
  if (!utf8) return nullptr;
  NSString* s = new (std::nothrow) NSString(utf8);
  return s ? static_cast<NSString*>(s->autorelease()) : nullptr;
}

NSString* NSString::initWithUTF8String(const char* utf8)
{
  mText = utf8 ? utf8 : "";
  return this;
}

BOOL NSString::isEqualToString(const NSString* other) const
{
  return other && other->mText == mText ? YES : NO;
}

NSString* NSString::lastPathComponent() const
{
  std::string t = mText;
  while (t.size() > 1 && t.back() == '/') t.pop_back();
  const size_t slash = t.rfind('/');
  if (slash != std::string::npos && t.size() > 1) t = t.substr(slash + 1);
  return stringWithUTF8String(t.c_str());
}

NSString* NSString::stringByDeletingLastPathComponent() const
{
  std::string t = mText;
  while (t.size() > 1 && t.back() == '/') t.pop_back();
  const size_t slash = t.rfind('/');
  if (slash == std::string::npos) t.clear();
  else if (slash == 0) t = "/";
  else t.resize(slash);
  return stringWithUTF8String(t.c_str());
}

NSString* NSString::pathExtension() const
{
  NSString* last = lastPathComponent();
  const std::string& t = last->mText;
  const size_t dot = t.rfind('.');
  return stringWithUTF8String(dot == std::string::npos || dot == 0 ? "" : t.c_str() + dot + 1);
}

NSString* NSString::stringByDeletingPathExtension() const
{
  std::string t = mText;
  const size_t slash = t.rfind('/');
  const size_t dot = t.rfind('.');
  const size_t start = slash == std::string::npos ? 0 : slash + 1;
  // a leading dot starts a name, not an extension
  if (dot != std::string::npos && dot > start) t.resize(dot);
  return stringWithUTF8String(t.c_str());
}

namespace {

// Constant strings live for the process (the table is never destroyed, so that objects
// released during static destruction stay valid).
struct ConstantStrings
{
  std::mutex lock;
  std::map<std::string, NSString*> strings;
};

}  // namespace

NSString* NSStringConstant(const char* utf8)
{
  static ConstantStrings* table = new ConstantStrings;
  if (!utf8) return nullptr;
  std::lock_guard<std::mutex> hold(table->lock);
  NSString*& s = table->strings[utf8];
  if (!s) s = new NSString(utf8);
  // keeps the count above any number of stray releases a caller may make
  s->retain();
  return s;
}

NSDictionary::~NSDictionary()
{
  for (auto& item : mItems) item.second->release();
}

NSObject* NSDictionary::objectForKey(const NSString* key) const
{
  if (!key) return nullptr;
  auto it = mItems.find(key->UTF8String());
  return it == mItems.end() ? nullptr : it->second;
}

NSMutableDictionary* NSMutableDictionary::dictionary()
{
  NSMutableDictionary* d = new (std::nothrow) NSMutableDictionary;
  return d ? static_cast<NSMutableDictionary*>(d->autorelease()) : nullptr;
}

void NSMutableDictionary::setObject_forKey(NSObject* value, const NSString* key)
{
  if (!value || !key) return;
  value->retain();
  NSObject*& slot = mItems[key->UTF8String()];
  if (slot) slot->release();
  slot = value;
}

void NSMutableDictionary::removeObjectForKey(const NSString* key)
{
  if (!key) return;
  auto it = mItems.find(key->UTF8String());
  if (it == mItems.end()) return;
  NSObject* old = it->second;
  mItems.erase(it);
  old->release();
}
