#include "deziva27/utils/Registry.h"

#include <memory>
#include <vector>

#include "deziva27/host/runtime/Convert.h"
#include "deziva27/host/runtime/Strings.h"

namespace dz {

namespace {

// "If the value exists, read it; a read that raises gives the default", in
// one look-up: the existence test and the read see the same value.
template <class F, class T>
T ReadOr(TRegistry& Reg, const UnicodeString& Name, T Default, F convert) {
  uint32_t type = 0;
  std::string data;
  if (!Reg.ReadValue(Name, type, data)) return Default;
  try {
    return convert(type, data);
  } catch (const std::exception&) {
    return Default;
  }
}

// Each key's sub-keys, in the order of their names, then the key itself, each
// addressed by its path from the root. The pending levels are kept on a stack
// of our own, and one path buffer grows and shrinks with the walk.
void DeleteTree(TRegistry& Reg, UnicodeString Path) {
  struct Level {
    explicit Level(size_t length) : PathLength(length) {}
    size_t PathLength;
    TStringList Names;
    Integer Next = 0;
    bool Opened = false;
  };
  std::vector<std::unique_ptr<Level>> stack;
  stack.push_back(std::make_unique<Level>(Path.size()));
  while (!stack.empty()) {
    Level& level = *stack.back();
    Path.resize(level.PathLength);
    if (!level.Opened) {
      level.Opened = true;
      if (!Reg.OpenKey(Path, false)) {
        stack.pop_back();
        continue;
      }
      if (Reg.HasSubKeys()) Reg.GetKeyNames(level.Names);
      Reg.CloseKey();
    }
    if (level.Next < level.Names.Count()) {
      Path += u'\\';
      Path += level.Names.Strings(level.Next++);
      stack.push_back(std::make_unique<Level>(Path.size()));
      continue;
    }
    Reg.DeleteKey(Path);
    stack.pop_back();
  }
}

UnicodeString PosText(const TControl& c) {
  return IntToStr(c.Left()) + u',' + IntToStr(c.Top()) + u',' + IntToStr(c.Width()) + u',' +
         IntToStr(c.Height());
}

// Takes the text before the first comma off the front of s (all of it when
// there is no comma).
UnicodeString NextItem(UnicodeString& s) {
  const size_t comma = s.find(u',');
  UnicodeString item = s.substr(0, comma);
  s.erase(0, comma == UnicodeString::npos ? s.size() : comma + 1);
  return item;
}

UnicodeString ValueNameOf(const TComponent& c, const UnicodeString& PropName) {
  return c.Name() + u'.' + PropName;
}

}  // namespace

UnicodeString ReadRegStr(TRegistry& Reg, const UnicodeString& Name, const UnicodeString& Default) {
  return ReadOr(Reg, Name, Default, [&](uint32_t t, const std::string& d) {
    return TRegistry::DataToString(Name, t, d);
  });
}

bool ReadRegBool(TRegistry& Reg, const UnicodeString& Name, bool Default) {
  return ReadOr(Reg, Name, Default, [&](uint32_t t, const std::string& d) {
    return TRegistry::DataToInteger(Name, t, d) != 0;
  });
}

Integer ReadRegInt(TRegistry& Reg, const UnicodeString& Name, Integer Default) {
  return ReadOr(Reg, Name, Default, [&](uint32_t t, const std::string& d) {
    return TRegistry::DataToInteger(Name, t, d);
  });
}

void DelRegKey(const UnicodeString& KeyPath) {
  if (KeyPath.empty()) return;
  UnicodeString path = KeyPath;
  if (path.back() == u'\\') path.pop_back();
  TRegistry reg;
  DeleteTree(reg, path);
}

void SaveControlPosReg(TControl& Control, const UnicodeString& KeyPath,
                       const UnicodeString& ValueName) {
  TRegIniFile ini(KeyPath);
  ini.WriteString(UnicodeString(), ValueName, PosText(Control));
}

void LoadControlPosReg(TControl& Control, const UnicodeString& KeyPath,
                       const UnicodeString& ValueName) {
  TRegIniFile ini(KeyPath);
  UnicodeString text = ini.ReadString(UnicodeString(), ValueName, PosText(Control));
  Control.SetLeft(StrToInt(NextItem(text)));
  Control.SetTop(StrToInt(NextItem(text)));
  Control.SetWidth(StrToInt(NextItem(text)));
  Control.SetHeight(StrToInt(NextItem(text)));
}

void SavePropertyValueReg(TComponent& Component, const UnicodeString& PropName,
                          const UnicodeString& KeyPath) {
  TRegIniFile ini(KeyPath);
  const TPropInfo* info = GetPropInfo(Component, PropName);
  if (!info) return;
  UnicodeString text;
  switch (PropType(*info)) {
    case tkString:
    case tkLString:
      text = GetStrProp(Component, *info);
      break;
    case tkEnumeration:
      text = GetEnumProp(Component, *info);
      break;
    case tkInteger:
      text = IntToStr(static_cast<Integer>(GetOrdProp(Component, *info)));
      break;
    default:
      break;
  }
  if (!text.empty()) ini.WriteString(UnicodeString(), ValueNameOf(Component, PropName), text);
}

void LoadPropertyValueReg(TComponent& Component, const UnicodeString& PropName,
                          const UnicodeString& KeyPath) {
  TRegIniFile ini(KeyPath);
  const UnicodeString text =
      ini.ReadString(UnicodeString(), ValueNameOf(Component, PropName), UnicodeString());
  if (text.empty()) return;
  const TPropInfo* info = GetPropInfo(Component, PropName);
  if (!info) return;
  switch (PropType(*info)) {
    case tkString:
    case tkLString:
      SetStrProp(Component, *info, text);
      break;
    case tkEnumeration:
      SetEnumProp(Component, *info, text);
      break;
    case tkInteger:
      SetOrdProp(Component, *info, StrToInt(text));
      break;
    default:
      break;
  }
}

}  // namespace dz
