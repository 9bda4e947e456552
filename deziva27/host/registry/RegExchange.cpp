#include "deziva27/host/registry/detail/RegExchange.h"

#include <algorithm>

#include "deziva27/host/runtime/Exceptions.h"
#include "deziva27/host/registry/detail/RegText.h"
#include "deziva27/host/runtime/Strings.h"

namespace dz::detail {

size_t ImportRegText(RegStore& Store, std::string_view Bytes) {
  // The whole text is read before the store is touched.
  const std::vector<RegTextKey> keys = ParseRegText(Bytes);
  for (const RegTextKey& k : keys) {
    if (!k.Remove && static_cast<size_t>(std::count(k.Path.begin(), k.Path.end(), u'\\')) >=
                         kMaxKeyDepth)
      throw ERegistryException(
          ("a key deeper than the 512 levels a registry allows: HKEY_CURRENT_USER\\" +
           Utf16ToUtf8(std::u16string_view(k.Path).substr(0, 40)) + "...")
              .c_str());
  }
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

// Depth first, keys before their sub-keys, on a stack of our own: a tree as
// deep as a store may hold must not exhaust the thread's stack. One path
// buffer grows and shrinks with the walk, so each key costs the length of
// its own path and nothing more.
template <class Emit>
void Walk(RegStore& store, int64_t top, UnicodeString path, Emit&& emit) {
  struct Level {
    std::vector<std::pair<int64_t, UnicodeString>> Subs;
    size_t Next = 0;
    size_t PathLength = 0;
  };
  std::vector<Level> stack;
  RegTextKey key;
  auto visit = [&](int64_t id) {
    key.Path = path;
    key.Values.clear();
    for (auto& [name, value] : store.Values(id)) {
      RegTextValue v;
      v.IsDefault = name.empty();
      v.Name = std::move(name);
      v.Type = value.Type;
      v.Data = std::move(value.Data);
      key.Values.push_back(std::move(v));
    }
    emit(key);
    stack.push_back(Level{store.SubKeys(id), 0, path.size()});
  };
  visit(top);
  while (!stack.empty()) {
    Level& level = stack.back();
    if (level.Next == level.Subs.size()) {
      stack.pop_back();
      continue;
    }
    const auto& [id, name] = level.Subs[level.Next++];
    path.resize(level.PathLength);
    if (!path.empty()) path += u'\\';
    path += name;
    visit(id);
  }
}

}  // namespace

bool ExportRegText(RegStore& Store, std::u16string_view Path,
                   const std::function<void(std::string_view)>& Sink) {
  constexpr size_t kPiece = size_t{1} << 20;
  bool absolute = false;
  const std::vector<UnicodeString> segs = SplitRegPath(Path, absolute);
  bool found = false;
  Store.Consistently([&] {
    const std::optional<int64_t> id = Store.FindKey(RegStore::kRoot, segs);
    if (!id) return;
    found = true;
    std::string piece;
    AppendRegTextHeader(piece);
    Walk(Store, *id, Store.KeyPath(*id), [&](const RegTextKey& key) {
      AppendRegTextKey(piece, key);
      if (piece.size() >= kPiece) {
        Sink(piece);
        piece.clear();
      }
    });
    Sink(piece);
  });
  return found;
}

bool ExportRegText(RegStore& Store, std::u16string_view Path, std::string& Out) {
  std::string text;
  if (!ExportRegText(Store, Path, [&](std::string_view piece) { text += piece; })) return false;
  Out = std::move(text);
  return true;
}

}  // namespace dz::detail
