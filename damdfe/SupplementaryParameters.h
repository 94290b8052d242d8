#pragma once

// What a road inspector checks beyond the 32 fixed settings: QR code, vehicles,
// drivers, ANTT data, insurance, toll vouchers, route, observations and the
// linked documents. Lists are text: one row a line, columns separated by a tab.

#include <string>
#include <string_view>

#include "PrintJob.h"

// Sets the supplementary parameters (names documented in docs/report-templates.md).
// A missing optional element gives an empty value or an empty list, never an error.
void SetSupplementaryParameters(const TLoadedManifest& loaded, IParameterSink& sink);

// "12345678000195" as "12.345.678/0001-95", "12345678909" as "123.456.789-09";
// any other length is returned unchanged.
std::u16string FormattedTaxId(std::u16string_view id);

// "2018-01-15T17:51:42-02:00" as "15/01/2018 17:51:42"; any other form unchanged.
std::u16string FormattedDateTime(std::u16string_view isoDateTime);

// "2018-01-15" (a time may follow) as "15/01/2018"; any other form unchanged.
std::u16string FormattedDate(std::u16string_view isoDate);

// "158430.75" as "158.430,75"; text that is not a decimal number is returned unchanged.
std::u16string FormattedAmount(std::u16string_view amount);
