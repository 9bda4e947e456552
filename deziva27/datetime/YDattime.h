// YDattime: dates and times on TDateTime values.
//
//  - Calendar.h: first and last days of years, months and quarters, quarter
//    numbers and numerals, the parts of a date, adding years, months and
//    days or hours, minutes and seconds with carries, month names and a
//    readable date text (GetDateName) built from the unit's two variables,
//    LongMonthNames2() and ShortYearName().
//  - ParseByFormat.h: reading a date and time written in a layout the
//    caller names (dd.mm.yyyy, mm/dd/yyyy hh:nn ...), and
//    InitDateTimeParams, which sets the words GetDateName uses.
//
// The month words are filled from the system default locale when the
// library starts and released when it stops. Nothing here takes a lock: the
// two variables are plain state of the caller's threads to share.
// Threads: any thread; the two variables are set before threads start, then only read.
#pragma once

#include "deziva27/datetime/Calendar.h"
#include "deziva27/datetime/ParseByFormat.h"
#include "deziva27/host/runtime/DateTime.h"
