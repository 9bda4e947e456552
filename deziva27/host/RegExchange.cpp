#include "deziva27/host/RegExchange.h"

#include "deziva27/host/RegText.h"

namespace dz::detail {

size_t ImportRegText(RegStore& Store, std::string_view Bytes) {
  // The whole text is read before the store is touched.
  const std::vector<RegTextKey> keys = ParseRegText(Bytes);
  Store.Atomically([&] {
    for (const RegTextKey& k : keys) {
      bool absolute = false;
      const std::vector<UnicodeString> path = SplitRegPath(k.Path, absolute);
      if (k.Remove) {
        Store.DeleteKey(RegStore::kRoot, path);
        continue;
      }
      const int64_t id = Store.CreateKey(RegStore::kRoot, path);
      for (const RegTextValue& v : k.Values) {
        if (v.Remove)
          Store.DeleteValue(id, v.Name);
        else
          Store.WriteValue(id, v.Name, v.Type, v.Data);
      }
    }
  });
  return keys.size();
}

namespace {

void Walk(RegStore& store, int64_t id, const UnicodeString& path, std::vector<RegTextKey>& out) {
  RegTextKey key;
  key.Path = path;
  for (auto& [name, value] : store.Values(id)) {
    RegTextValue v;
    v.IsDefault = name.empty();
    v.Name = std::move(name);
    v.Type = value.Type;
    v.Data = std::move(value.Data);
    key.Values.push_back(std::move(v));
  }
  out.push_back(std::move(key));
  for (const UnicodeString& sub : store.SubKeyNames(id)) {
    const std::optional<int64_t> child = store.FindKey(id, {sub});
    if (child) Walk(store, *child, path.empty() ? sub : path + u'\\' + sub, out);
  }
}

}  // namespace

bool ExportRegText(RegStore& Store, std::u16string_view Path, std::string& Out) {
  bool absolute = false;
  const std::vector<UnicodeString> segs = SplitRegPath(Path, absolute);
  std::vector<RegTextKey> keys;
  bool found = false;
  // One transaction, so that the export is one consistent picture.
  Store.Atomically([&] {
    const std::optional<int64_t> id = Store.FindKey(RegStore::kRoot, segs);
    if (!id) return;
    Walk(Store, *id, Store.KeyPath(*id), keys);
    found = true;
  });
  if (found) Out = FormatRegText(keys);
  return found;
}

}  // namespace dz::detail
