// Everything the host runtime offers, in one include.
// Threads: as each header included here says.
#pragma once

#include "deziva27/host/runtime/Convert.h"
#include "deziva27/host/runtime/DateTime.h"
#include "deziva27/host/runtime/Exceptions.h"
#include "deziva27/host/runtime/FormatSettings.h"
#include "deziva27/host/classes/Lists.h"
#include "deziva27/host/runtime/ResStrings.h"
#include "deziva27/host/classes/ReplaceFileStream.h"
#include "deziva27/host/classes/Streams.h"
#include "deziva27/host/runtime/Strings.h"
#include "deziva27/host/runtime/System.h"
#include "deziva27/base/Types.h"
