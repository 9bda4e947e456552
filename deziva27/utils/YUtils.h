// YUtils: general utilities for the host application.
//
//  - Containers: TYIntStack (20 integers), TYCurrencyArray (fixed length),
//    TYObjectList (owns its objects, reports changes), TYStringMap (key and
//    value strings, searched either way).
//  - Rounding of Currency: CRound, RoundTo, RoundToL, RoundToM.
//  - Font styles as an integer: IntToFontStyle, FontStyleToInt.
//  - Comma text: StringToComma, CommaToString.
//  - Choices: MaxInt, MinInt, GetRandomItem.
//  - A reversible character shift: Encrypt1, Decrypt1.
//  - Questions and the information window: Ask, AskNo, ShowInfo, UpdateInfo,
//    HideInfo, InfoIsShowing (Info.h; the desktop backend is host/ui/UiBackend.h).
//  - Progress callbacks: TYProgressEvent, TYSimpleProgressEvent.
//  - Registry persistence under HKEY_CURRENT_USER: TYRegistry, ReadRegStr,
//    ReadRegBool, ReadRegInt, DelRegKey, Save/LoadControlPosReg,
//    Save/LoadPropertyValueReg (the registry's errors are ERegistryException).
//  - Version information, program start and the environment (System.h).
//
// Everything runs on the caller's thread and takes no lock; no object here
// is safe for two threads at once. Errors are exceptions: EYUtilsError for
// the stack, the host's EListError for bad indexes, EConvertError for
// rounding that cannot be done.
// Threads: an object is one thread's at a time; each routine as its own header says.
#pragma once

#include "deziva27/consts/Errors.h"
#include "deziva27/consts/YConsts.h"
#include "deziva27/utils/Choices.h"
#include "deziva27/utils/Cipher.h"
#include "deziva27/utils/CommaText.h"
#include "deziva27/utils/CurrencyArray.h"
#include "deziva27/utils/FontStyle.h"
#include "deziva27/utils/Info.h"
#include "deziva27/utils/IntStack.h"
#include "deziva27/utils/ObjectList.h"
#include "deziva27/utils/Registry.h"
#include "deziva27/utils/Progress.h"
#include "deziva27/utils/Rounding.h"
#include "deziva27/utils/StringMap.h"
#include "deziva27/utils/System.h"
