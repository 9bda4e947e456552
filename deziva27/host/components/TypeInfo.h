// Published properties: run-time type information that any class can give
// its properties, so that code can find a property by name, learn its kind
// and read or write it as an ordinal, a string or an enumeration name.
//
// A class publishes by overriding TPersistent::ClassInfo() with a static
// TClassInfo that lists its properties (built with Published()) and names its
// parent's, so look-up walks up the hierarchy:
//
//   const TClassInfo& TMyControl::ClassInfo() const {
//     static const TClassInfo info(u"TMyControl", &TControl::StaticClassInfo(), {
//         Published(u"Count", &TMyControl::Count, &TMyControl::SetCount),
//         Published(u"Mode", &TMyControl::Mode, &TMyControl::SetMode, &kModeType)});
//     return info;
//   }
//
// The kind comes from the accessor's type (Integer, bool, AnsiString,
// UnicodeString, AnsiChar, WideChar, double, Int64, an object pointer) or from
// the TTypeInfo passed, which is how enumerations, sets, short strings, wide
// strings and events are told apart.
// Threads: class information is built once and read on any thread; an object is one thread's.
#pragma once

#include <functional>
#include <string_view>
#include <type_traits>
#include <vector>

#include "deziva27/base/Export.h"
#include "deziva27/host/runtime/Exceptions.h"
#include "deziva27/host/classes/Lists.h"
#include "deziva27/host/runtime/Strings.h"
#include "deziva27/base/Types.h"

namespace dz DZ_API {

// The kinds, in the classic order (their numbers are the classic ones).
enum TTypeKind {
  tkUnknown,      // none of the others
  tkInteger,      // an integer of up to 32 bits
  tkChar,         // an 8-bit character
  tkEnumeration,  // an enumeration, Boolean included
  tkFloat,        // a floating-point number
  tkString,       // a short string
  tkSet,          // a set
  tkClass,        // an object pointer
  tkMethod,       // an event (a callback bound to an object)
  tkWChar,        // a 16-bit character
  tkLString,      // an 8-bit AnsiString
  tkWString,      // a WideString
  tkVariant,      // a variant
  tkArray,        // a static array
  tkRecord,       // a record
  tkInterface,    // an interface
  tkInt64,        // a 64-bit integer
  tkDynArray,     // a dynamic array
  tkUString,      // a UnicodeString
  tkClassRef,     // a class reference
  tkPointer,      // a plain pointer
  tkProcedure     // a procedure pointer
};

// A type's description: its kind, its name and, for an enumeration, the
// names of its values. Instances are static; TPropInfo points to them.
struct TTypeInfo {
  TTypeKind Kind = tkUnknown;  // what a value of the type is
  UnicodeString Name;  // the classic name ("Integer", "TAlign")
  // Enumerations: the names of the ordinals 0, 1, 2 ... as they are spelled.
  std::vector<UnicodeString> EnumNames;
};

// The type information of the basic types.
extern const TTypeInfo kIntegerTypeInfo;        // Integer, tkInteger
extern const TTypeInfo kBooleanTypeInfo;        // Boolean, tkEnumeration {False, True}
extern const TTypeInfo kAnsiStringTypeInfo;     // AnsiString, tkLString
extern const TTypeInfo kShortStringTypeInfo;    // ShortString, tkString
extern const TTypeInfo kUnicodeStringTypeInfo;  // UnicodeString, tkUString
extern const TTypeInfo kWideStringTypeInfo;     // WideString, tkWString
extern const TTypeInfo kAnsiCharTypeInfo;       // AnsiChar, tkChar
extern const TTypeInfo kWideCharTypeInfo;       // Char, tkWChar
extern const TTypeInfo kDoubleTypeInfo;         // Double, tkFloat
extern const TTypeInfo kInt64TypeInfo;          // Int64, tkInt64
extern const TTypeInfo kObjectTypeInfo;         // TObject, tkClass
extern const TTypeInfo kNotifyEventTypeInfo;    // TNotifyEvent, tkMethod

// The default type information for an accessor's type.
template <class T>
const TTypeInfo* DefaultTypeInfo() {
  using V = std::remove_cvref_t<T>;
  if constexpr (std::is_same_v<V, bool>)
    return &kBooleanTypeInfo;
  else if constexpr (std::is_same_v<V, AnsiChar>)
    return &kAnsiCharTypeInfo;
  else if constexpr (std::is_same_v<V, WideChar>)
    return &kWideCharTypeInfo;
  else if constexpr (std::is_same_v<V, int64_t> || std::is_same_v<V, uint64_t>)
    return &kInt64TypeInfo;
  else if constexpr (std::is_integral_v<V>)
    return &kIntegerTypeInfo;
  else if constexpr (std::is_floating_point_v<V>)
    return &kDoubleTypeInfo;
  else if constexpr (std::is_same_v<V, AnsiString>)
    return &kAnsiStringTypeInfo;
  else if constexpr (std::is_same_v<V, UnicodeString>)
    return &kUnicodeStringTypeInfo;
  else if constexpr (std::is_pointer_v<V>)
    return &kObjectTypeInfo;
  else if constexpr (std::is_same_v<V, TNotifyEvent>)
    return &kNotifyEventTypeInfo;
  else
    static_assert(!sizeof(V), "pass the TTypeInfo of this property's type");
}

// One published property. The accessors that fit its value are set:
// ordinal ones for integers, characters, enumerations, sets, Int64 and
// objects; string ones for the string kinds (8-bit strings go through the
// ANSI code page); float ones for floats. A read-only property has no setter.
struct TPropInfo {
  UnicodeString Name;                   // as published, case kept
  const TTypeInfo* PropType = nullptr;  // static, never null once Published built it
  // Each accessor takes the object the property belongs to (a wrong class is
  // undefined); empty when the property has no accessor of that kind.
  std::function<int64_t(const TObject&)> GetOrd;
  std::function<void(TObject&, int64_t)> SetOrd;
  std::function<UnicodeString(const TObject&)> GetStr;
  std::function<void(TObject&, const UnicodeString&)> SetStr;
  std::function<double(const TObject&)> GetFloat;
  std::function<void(TObject&, double)> SetFloat;
};

// A class's published properties and its parent's. Built once as a static
// of the class (see above); the parent must outlive it.
class TClassInfo {
 public:
  // parent: the ancestor's info, nullptr for a root.
  TClassInfo(UnicodeString className, const TClassInfo* parent, std::vector<TPropInfo> props);
  const UnicodeString& ClassName() const { return FClassName; }  // the class's name, as given
  const TClassInfo* Parent() const { return FParent; }  // nullptr for TPersistent's
  // This class's own properties, in the order given.
  const std::vector<TPropInfo>& Properties() const { return FProps; }
  // The property of that name (ASCII letters folded) here or in an ancestor,
  // the nearest first; nullptr when there is none.
  const TPropInfo* Find(std::u16string_view name) const;

 private:
  UnicodeString FClassName;
  const TClassInfo* FParent;
  std::vector<TPropInfo> FProps;
};

// The root of classes that publish properties.
class TPersistent : public TObject {
 public:
  // The info of the object's dynamic class; each publishing class overrides it.
  virtual const TClassInfo& ClassInfo() const { return StaticClassInfo(); }
  // TPersistent's own info: no properties, no parent.
  static const TClassInfo& StaticClassInfo();
};

// A property from a getter, a setter and its type information (by default
// that of the getter's type); without a setter it is read-only.
template <class C, class T, class S>
TPropInfo Published(UnicodeString name, T (C::*get)() const, void (C::*set)(S),
                    const TTypeInfo* type = DefaultTypeInfo<T>()) {
  using V = std::remove_cvref_t<T>;
  TPropInfo p{std::move(name), type, {}, {}, {}, {}, {}, {}};
  auto self = [](const TObject& o) -> const C& { return static_cast<const C&>(o); };
  auto me = [](TObject& o) -> C& { return static_cast<C&>(o); };
  if constexpr (std::is_integral_v<V> || std::is_enum_v<V>) {
    p.GetOrd = [=](const TObject& o) { return static_cast<int64_t>((self(o).*get)()); };
    if (set) p.SetOrd = [=](TObject& o, int64_t v) { (me(o).*set)(static_cast<V>(v)); };
  } else if constexpr (std::is_pointer_v<V>) {
    p.GetOrd = [=](const TObject& o) {
      return static_cast<int64_t>(reinterpret_cast<intptr_t>((self(o).*get)()));
    };
    if (set)
      p.SetOrd = [=](TObject& o, int64_t v) {
        (me(o).*set)(reinterpret_cast<V>(static_cast<intptr_t>(v)));
      };
  } else if constexpr (std::is_floating_point_v<V>) {
    p.GetFloat = [=](const TObject& o) { return static_cast<double>((self(o).*get)()); };
    if (set) p.SetFloat = [=](TObject& o, double v) { (me(o).*set)(static_cast<V>(v)); };
  } else if constexpr (std::is_same_v<V, UnicodeString>) {
    p.GetStr = [=](const TObject& o) { return UnicodeString((self(o).*get)()); };
    if (set) p.SetStr = [=](TObject& o, const UnicodeString& v) { (me(o).*set)(v); };
  } else if constexpr (std::is_same_v<V, AnsiString>) {
    p.GetStr = [=](const TObject& o) { return ToUnicode((self(o).*get)()); };
    if (set) p.SetStr = [=](TObject& o, const UnicodeString& v) { (me(o).*set)(ToAnsi(v)); };
  }
  // Other types (events, records) are published for their kind alone.
  return p;
}
// The read-only form: a getter and the type information alone.
template <class C, class T>
TPropInfo Published(UnicodeString name, T (C::*get)() const,
                    const TTypeInfo* type = DefaultTypeInfo<T>()) {
  return Published(std::move(name), get, static_cast<void (C::*)(std::remove_cvref_t<T>)>(nullptr),
                   type);
}

// The property of that name in Instance's class or an ancestor (ASCII letters
// folded), or nullptr.
const TPropInfo* GetPropInfo(const TPersistent& Instance, std::u16string_view PropName);
// The kind of the property's type.
inline TTypeKind PropType(const TPropInfo& Info) {
  return Info.PropType->Kind;
}

// Reads and writes. A property that has no accessor of the kind asked for
// raises EPropertyError "Invalid property type: <type name>"; a write to a
// read-only one "Property <name> is read-only". Ordinals are integers,
// characters, enumerations, sets, Int64 and objects (the pointer's value).
int64_t GetOrdProp(const TPersistent& Instance, const TPropInfo& Info);
void SetOrdProp(TPersistent& Instance, const TPropInfo& Info, int64_t Value);
UnicodeString GetStrProp(const TPersistent& Instance, const TPropInfo& Info);
void SetStrProp(TPersistent& Instance, const TPropInfo& Info, const UnicodeString& Value);
double GetFloatProp(const TPersistent& Instance, const TPropInfo& Info);
void SetFloatProp(TPersistent& Instance, const TPropInfo& Info, double Value);
// The enumeration name of the current value ("" when the ordinal has none);
// a property that is not an enumeration raises "Invalid property type".
UnicodeString GetEnumProp(const TPersistent& Instance, const TPropInfo& Info);
// Sets by name, ASCII letters folded; EPropertyError "Invalid property
// element: <name>" when the type has no such name.
void SetEnumProp(TPersistent& Instance, const TPropInfo& Info, const UnicodeString& Value);

// The name of an ordinal ("" out of range) and the ordinal of a name (-1 when
// unknown, ASCII letters folded).
UnicodeString GetEnumName(const TTypeInfo& Type, int64_t Value);
int32_t GetEnumValue(const TTypeInfo& Type, std::u16string_view Name);

}  // namespace DZ_API
