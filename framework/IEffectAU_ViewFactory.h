#pragma once

class NSObject;

// The Cocoa view factory of an Audio Unit: the class that the unit's Cocoa view info names.
// A host finds it by name in the class registry, makes an instance and asks it for a view
// of the audio unit; the factory opens the plug-in's editor in a new view.
//
// A product declares its factory class by name, once, in one of its source files:
//   KELVO_DECLARE_VIEW_FACTORY(Kelvo_View);
// which registers the class "Kelvo_View" (description "Kelvo View") while the bundle is
// loaded. The header includes no platform header, so product code may use it.
//
// Threads: the host's main (user-interface) thread.

// Registers the factory class under className for the lifetime of the object (a static of
// the bundle, so that unloading the bundle unregisters it). make creates an instance.
class IEffectAU_ViewFactoryRegistration
{
public:
  IEffectAU_ViewFactoryRegistration(const char* className, NSObject* (*make)());
  ~IEffectAU_ViewFactoryRegistration();

  // A new factory instance (count one) that describes itself after className.
  static NSObject* Create(const char* className);

private:
  IEffectAU_ViewFactoryRegistration(const IEffectAU_ViewFactoryRegistration&) = delete;
  IEffectAU_ViewFactoryRegistration& operator=(const IEffectAU_ViewFactoryRegistration&) = delete;

  void* mClass;
};

// One instance-making function per declared class name.
template <class Name>
struct IEffectAU_ViewFactoryMaker
{
  static NSObject* Make() { return IEffectAU_ViewFactoryRegistration::Create(Name::ClassName()); }
};

#define KELVO_DECLARE_VIEW_FACTORY(FactoryClass)                                                         \
  namespace                                                                                              \
  {                                                                                                      \
  struct FactoryClass##_Name                                                                             \
  {                                                                                                      \
    static const char* ClassName() { return #FactoryClass; }                                             \
  };                                                                                                     \
  IEffectAU_ViewFactoryRegistration s##FactoryClass##_Registration(                                      \
      #FactoryClass, &IEffectAU_ViewFactoryMaker<FactoryClass##_Name>::Make);                            \
  }                                                                                                      \
  static_assert(true, "")
