#pragma once

// Dictionaries of objects keyed by strings (compared by content), as the text drawing
// attributes use them. Values and keys are retained while held.

#include <Foundation/NSObject.h>
#include <Foundation/NSString.h>

#include <map>
#include <string>

class NSDictionary : public NSObject
{
public:
  NSDictionary() = default;
  ~NSDictionary() override;

  // Null when no value is held under the key.
  NSObject* objectForKey(const NSString* key) const;
  NSUInteger count() const { return mItems.size(); }

protected:
  std::map<std::string, NSObject*> mItems;
};

class NSMutableDictionary : public NSDictionary
{
public:
  // Autoreleased.
  static NSMutableDictionary* dictionary();
  NSMutableDictionary* initWithCapacity(NSUInteger) { return this; }

  // Retains the value and releases the one it replaces; a null key or value is ignored.
  void setObject_forKey(NSObject* value, const NSString* key);
  void removeObjectForKey(const NSString* key);
};
