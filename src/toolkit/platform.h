#pragma once

namespace qtk {

// True under Wine, whose ntdll exports wine_get_version; Windows behaviours that Wine lacks are
// supplied by the toolkit only there.
bool RunningUnderWine();

}  // namespace qtk
