// Small pieces of user-interface state kept under HKEY_CURRENT_USER: typed
// reads with a fallback, the recursive deletion of a key, a control's
// position and size, and one published property of a component.
//
// Layout: a control's position is a REG_SZ "left,top,width,height" in
// decimal ("10,20,300,200") under the value name given; a property is a
// REG_SZ named "<component name>.<property name>" holding the text itself
// (8-bit strings), the value's name (enumerations and booleans: "True") or
// decimal text (integers). Other kinds are neither saved nor loaded.
// Threads: any thread, each call on its own key of the shared store; a TYRegistry is one thread's.
#pragma once

#include "deziva27/base/Export.h"
#include "deziva27/host/components/Components.h"
#include "deziva27/host/registry/Registry.h"

namespace dz DZ_API {

// The library's own registry class; it adds nothing to its parent.
class TYRegistry : public TRegistry {
 public:
  using TRegistry::TRegistry;  // TRegistry's constructor
};

// Reads a value of the open key, or Default when it is missing or the read
// raises (a value of another type). The key stays open.
UnicodeString ReadRegStr(TRegistry& Reg, const UnicodeString& Name, const UnicodeString& Default);
// The integer forms read REG_DWORD values only: a string "1" gives Default.
bool ReadRegBool(TRegistry& Reg, const UnicodeString& Name, bool Default);  // integer value <> 0
Integer ReadRegInt(TRegistry& Reg, const UnicodeString& Name, Integer Default);

// Deletes KeyPath (one trailing backslash allowed) with every sub-key at any
// depth; nothing for an empty path or a key that does not exist.
void DelRegKey(const UnicodeString& KeyPath);

// Writes the control's Left, Top, Width and Height under KeyPath\ValueName.
void SaveControlPosReg(TControl& Control, const UnicodeString& KeyPath,
                       const UnicodeString& ValueName);
// Sets Left, Top, Width and Height, in this order, from the stored text
// (missing: the control stays where it is; items after the fourth are
// ignored). An item that is not an integer, or is missing, raises
// EConvertError; the ones before it are already set.
void LoadControlPosReg(TControl& Control, const UnicodeString& KeyPath,
                       const UnicodeString& ValueName);

// Writes the published property's text; an unknown property, a kind not
// handled or an empty text writes nothing.
void SavePropertyValueReg(TComponent& Component, const UnicodeString& PropName,
                          const UnicodeString& KeyPath);
// Sets the property from its stored text; nothing when the text is missing
// or empty or the property unknown. EConvertError for an integer that does
// not convert, EPropertyError for an unknown enumeration name, and then
// nothing is changed.
void LoadPropertyValueReg(TComponent& Component, const UnicodeString& PropName,
                          const UnicodeString& KeyPath);

}  // namespace DZ_API
