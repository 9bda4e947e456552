// TYIntStack: a stack of at most 20 signed 32-bit integers.
//
//   TYIntStack s(84);
//   s.Push(1); s.Push(2);
//   s.GetValue(0);   // 2, the top
//   s.Pop();         // 2
//
// Push on a full stack and Pop on an empty one raise EYUtilsError with the
// string table's "Stack is full" / "Stack is empty", and change nothing.
// Threads: an object is used by one thread at a time; distinct objects are independent.
#pragma once

#include "deziva27/base/Export.h"

#include <cstdint>
#include <memory>

#include "deziva27/base/Types.h"

namespace dz DZ_API {

// The stack owns its storage and frees it with itself. Not copyable.
class TYIntStack : public TObject {
 public:
  static constexpr int32_t kCapacity = 20;  // the most values it holds

  // ASpace is the size in bytes of the storage reserved for the values; the
  // capacity stays 20 whatever it is. Twenty values need 84 bytes (slot 0 is
  // never used), so a smaller ASpace, 0 or negative included, reserves 84:
  // a push can never write past the storage. Raises EOutOfMemory when the
  // block cannot be had.
  explicit TYIntStack(int32_t ASpace);
  // Not copyable: the stack owns its storage.
  TYIntStack(const TYIntStack&) = delete;
  TYIntStack& operator=(const TYIntStack&) = delete;
  ~TYIntStack() override;  // frees the storage

  // Puts Num on top; EYUtilsError "Stack is full" with 20 values on it.
  void Push(int32_t Num);
  // Takes the top value off and returns it; EYUtilsError "Stack is empty".
  int32_t Pop();

  // Empty: no value on the stack.
  bool GetEmpty() const { return FTop == 0; }
  // Values: index 0 is the top, FTop - 1 the bottom. An index outside that
  // range raises EListError instead of reading a slot that holds no value.
  int32_t GetValue(int32_t Index) const;

 private:
  int16_t FTop = 0;
  std::unique_ptr<int32_t[]> FBuf;  // slots 1..FTop hold the values
};

}  // namespace dz
