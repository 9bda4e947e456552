#include "deziva27/consts/YConsts.h"

namespace dz {
namespace {

// The module's string table (block 4096, language 1033). YCompress's
// messages live here too: the library has one table.
constexpr TStringResource kStringTable[] = {
    {65520, u"Stack is full"},
    {65521, u"Stack is empty"},
    {65522, u"Source stream is not defined"},
    {65523, u"Destination stream is not defined"},
    {65524, u"Wrong stream format"},
};

}  // namespace

const TResourceModule HInstance = {"deziva27", kStringTable};

const TResStringRec _ERRStackFull = {&HInstance, 65520};
const TResStringRec _ERRStackEmpty = {&HInstance, 65521};

}  // namespace dz
