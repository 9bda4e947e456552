// A version block is a tree of nodes, each: wLength (the node with its
// children, in bytes), wValueLength (characters for text, bytes otherwise),
// wType (1 text, 0 binary), the NUL-terminated key, padding to 4 bytes, the
// value, padding to 4 bytes, then the children up to wLength.
#include "deziva27/platform/detail/Version.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "deziva27/base/Utf.h"
#include "deziva27/platform/detail/PeResources.h"

namespace dz::win {
namespace {

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
size_t Align4(size_t n) { return (n + 3) & ~size_t{3}; }

struct Node {
  size_t Begin = 0, End = 0;  // the node's bytes within the block
  size_t Key = 0, KeyLen = 0;  // key offset, length in characters
  size_t Value = 0, ValueBytes = 0;
  uint16_t ValueLength = 0, Type = 0;
  size_t Children = 0;
};

// Reads the node at at, which must end by limit.
bool ReadNode(const uint8_t* b, size_t at, size_t limit, Node& n) {
  if (at + 6 > limit) return false;
  const size_t len = U16(b + at);
  if (len < 6 || len > limit - at) return false;
  n.Begin = at;
  n.End = at + len;
  n.ValueLength = U16(b + at + 2);
  n.Type = U16(b + at + 4);
  n.Key = at + 6;
  size_t k = n.Key;
  while (k + 2 <= n.End && U16(b + k) != 0) k += 2;
  if (k + 2 > n.End) return false;
  n.KeyLen = (k - n.Key) / 2;
  n.Value = Align4(k + 2);
  n.ValueBytes = n.Type == 1 ? size_t{n.ValueLength} * 2 : n.ValueLength;
  if (n.Value > n.End || n.ValueBytes > n.End - n.Value) {
    // Some writers count the value of the root or of an empty text loosely;
    // a value that does not fit is taken as none.
    n.Value = std::min(n.Value, n.End);
    n.ValueBytes = 0;
    n.ValueLength = 0;
  }
  n.Children = std::min(Align4(n.Value + n.ValueBytes), n.End);
  return true;
}

char16_t Fold(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; }

bool KeyIs(const uint8_t* b, const Node& n, std::u16string_view key) {
  if (n.KeyLen != key.size()) return false;
  for (size_t i = 0; i < key.size(); ++i)
    if (Fold(static_cast<char16_t>(U16(b + n.Key + 2 * i))) != Fold(key[i])) return false;
  return true;
}

bool ValidRoot(const std::vector<uint8_t>& data) {
  Node root;
  return ReadNode(data.data(), 0, data.size(), root) &&
         KeyIs(data.data(), root, u"VS_VERSION_INFO");
}

bool ReadVersionResource(LPCWSTR name, std::vector<uint8_t>& data) {
  if (!name || !*name) return false;
  return ReadPeResourceFile(Utf16ToUtf8(name), RT_VERSION, 0, data, kMaxVersionResource) &&
         ValidRoot(data);
}

}  // namespace

DWORD GetFileVersionInfoSizeW(LPCWSTR lptstrFilename, DWORD* lpdwHandle) {
  if (lpdwHandle) *lpdwHandle = 0;
  std::vector<uint8_t> data;
  if (!ReadVersionResource(lptstrFilename, data)) return 0;
  return static_cast<DWORD>(data.size());
}

bool GetFileVersionInfoW(LPCWSTR lptstrFilename, DWORD, DWORD dwLen, void* lpData) {
  if (!lpData || dwLen < 6) return false;
  std::vector<uint8_t> data;
  if (!ReadVersionResource(lptstrFilename, data)) return false;
  const size_t n = std::min<size_t>(dwLen, data.size());
  std::memcpy(lpData, data.data(), n);
  auto* out = static_cast<uint8_t*>(lpData);
  if (U16(out) > n) {
    out[0] = static_cast<uint8_t>(n & 0xFF);
    out[1] = static_cast<uint8_t>(n >> 8);
  }
  return true;
}

bool VerQueryValueW(const void* pBlock, LPCWSTR lpSubBlock, void** lplpBuffer, UINT* puLen) {
  if (!pBlock || !lpSubBlock || !lplpBuffer || !puLen) return false;
  const auto* b = static_cast<const uint8_t*>(pBlock);
  Node node;
  if (!ReadNode(b, 0, U16(b), node)) return false;
  std::u16string_view path(lpSubBlock);
  size_t i = 0;
  while (i < path.size()) {
    while (i < path.size() && path[i] == u'\\') ++i;
    if (i == path.size()) break;
    size_t j = path.find(u'\\', i);
    if (j == std::u16string_view::npos) j = path.size();
    const std::u16string_view key = path.substr(i, j - i);
    i = j;
    bool found = false;
    for (size_t at = node.Children; at < node.End;) {
      Node child;
      if (!ReadNode(b, at, node.End, child)) break;
      if (KeyIs(b, child, key)) {
        node = child;
        found = true;
        break;
      }
      at = Align4(child.End);
    }
    if (!found) return false;
  }
  // A block (StringFileInfo, a language block) answers too: its value is
  // empty, and the pointer is where a value would start.
  *lplpBuffer = const_cast<uint8_t*>(b + node.Value);
  *puLen = node.ValueLength;
  return true;
}

}  // namespace dz::win
