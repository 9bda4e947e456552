// Everything the host runtime offers, in one include.
// Threads: as each header included here says.
#pragma once

#include "deziva27/host/Convert.h"
#include "deziva27/host/DateTime.h"
#include "deziva27/host/Exceptions.h"
#include "deziva27/host/FormatSettings.h"
#include "deziva27/host/Lists.h"
#include "deziva27/host/ResStrings.h"
#include "deziva27/host/Streams.h"
#include "deziva27/host/Strings.h"
#include "deziva27/host/System.h"
#include "deziva27/host/Types.h"
#include "deziva27/platform/Nls.h"
