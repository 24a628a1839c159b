#pragma once
// The company-creation option: adds the next company of a data root (its row
// in `comp` and its folder with every company table, control record and
// periods). The launcher runs it through ShowDllForm at first start; the
// administration tool may call CreateNextCompany directly.

#include <cstdint>

#include "varnex/linksection.h"

extern "C" {

// Creates the next company of the data root in `record.Link_data_dir`, named
// "Compagnie <n>" (French) or "Company <n>". Always -1: a failure is shown to
// the user.
std::int32_t ShowDllForm(TLinkSection record);

// Creates the next company of `dataRoot` (UTF-8) with `name` (UTF-8; empty
// gives the default name in `language`, 1 English, 2 French). Returns the new
// company's number, or -1 with the reason in `error` (UTF-8, cut to
// `errorCapacity` bytes including the final zero) when given.
std::int32_t CreateNextCompany(const char* dataRoot, const char* name, std::int32_t language, char* error,
                               std::int32_t errorCapacity);
}
