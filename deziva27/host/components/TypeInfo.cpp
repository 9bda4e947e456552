#include "deziva27/host/components/TypeInfo.h"
#include "deziva27/host/runtime/Format.h"

namespace dz {

const TTypeInfo kIntegerTypeInfo{tkInteger, u"Integer", {}};
const TTypeInfo kBooleanTypeInfo{tkEnumeration, u"Boolean", {u"False", u"True"}};
const TTypeInfo kAnsiStringTypeInfo{tkLString, u"AnsiString", {}};
const TTypeInfo kShortStringTypeInfo{tkString, u"ShortString", {}};
const TTypeInfo kUnicodeStringTypeInfo{tkUString, u"UnicodeString", {}};
const TTypeInfo kWideStringTypeInfo{tkWString, u"WideString", {}};
const TTypeInfo kAnsiCharTypeInfo{tkChar, u"AnsiChar", {}};
const TTypeInfo kWideCharTypeInfo{tkWChar, u"Char", {}};
const TTypeInfo kDoubleTypeInfo{tkFloat, u"Double", {}};
const TTypeInfo kInt64TypeInfo{tkInt64, u"Int64", {}};
const TTypeInfo kObjectTypeInfo{tkClass, u"TObject", {}};
const TTypeInfo kNotifyEventTypeInfo{tkMethod, u"TNotifyEvent", {}};

TClassInfo::TClassInfo(UnicodeString className, const TClassInfo* parent,
                       std::vector<TPropInfo> props)
    : FClassName(std::move(className)), FParent(parent), FProps(std::move(props)) {}

const TPropInfo* TClassInfo::Find(std::u16string_view name) const {
  for (const TClassInfo* c = this; c; c = c->FParent)
    for (const TPropInfo& p : c->FProps)
      if (SameText(p.Name, name)) return &p;
  return nullptr;
}

const TClassInfo& TPersistent::StaticClassInfo() {
  static const TClassInfo info(u"TPersistent", nullptr, {});
  return info;
}

const TPropInfo* GetPropInfo(const TPersistent& Instance, std::u16string_view PropName) {
  return Instance.ClassInfo().Find(PropName);
}

namespace {

[[noreturn]] void BadKind(const TPropInfo& Info) {
  throw EPropertyError(Format(u"Invalid property type: %s", {Info.PropType->Name}));
}

[[noreturn]] void ReadOnly(const TPropInfo& Info) {
  throw EPropertyError(Format(u"Property %s is read-only", {Info.Name}));
}

}  // namespace

int64_t GetOrdProp(const TPersistent& Instance, const TPropInfo& Info) {
  if (!Info.GetOrd) BadKind(Info);
  return Info.GetOrd(Instance);
}

void SetOrdProp(TPersistent& Instance, const TPropInfo& Info, int64_t Value) {
  if (!Info.GetOrd) BadKind(Info);
  if (!Info.SetOrd) ReadOnly(Info);
  Info.SetOrd(Instance, Value);
}

UnicodeString GetStrProp(const TPersistent& Instance, const TPropInfo& Info) {
  if (!Info.GetStr) BadKind(Info);
  return Info.GetStr(Instance);
}

void SetStrProp(TPersistent& Instance, const TPropInfo& Info, const UnicodeString& Value) {
  if (!Info.GetStr) BadKind(Info);
  if (!Info.SetStr) ReadOnly(Info);
  Info.SetStr(Instance, Value);
}

double GetFloatProp(const TPersistent& Instance, const TPropInfo& Info) {
  if (!Info.GetFloat) BadKind(Info);
  return Info.GetFloat(Instance);
}

void SetFloatProp(TPersistent& Instance, const TPropInfo& Info, double Value) {
  if (!Info.GetFloat) BadKind(Info);
  if (!Info.SetFloat) ReadOnly(Info);
  Info.SetFloat(Instance, Value);
}

UnicodeString GetEnumName(const TTypeInfo& Type, int64_t Value) {
  if (Value < 0 || Value >= static_cast<int64_t>(Type.EnumNames.size())) return {};
  return Type.EnumNames[static_cast<size_t>(Value)];
}

int32_t GetEnumValue(const TTypeInfo& Type, std::u16string_view Name) {
  for (size_t i = 0; i < Type.EnumNames.size(); ++i)
    if (SameText(Type.EnumNames[i], Name)) return static_cast<int32_t>(i);
  return -1;
}

UnicodeString GetEnumProp(const TPersistent& Instance, const TPropInfo& Info) {
  if (Info.PropType->Kind != tkEnumeration) BadKind(Info);
  return GetEnumName(*Info.PropType, GetOrdProp(Instance, Info));
}

void SetEnumProp(TPersistent& Instance, const TPropInfo& Info, const UnicodeString& Value) {
  if (Info.PropType->Kind != tkEnumeration) BadKind(Info);
  const int32_t v = GetEnumValue(*Info.PropType, Value);
  if (v < 0) throw EPropertyError(Format(u"Invalid property element: %s", {Value}));
  SetOrdProp(Instance, Info, v);
}

}  // namespace dz
