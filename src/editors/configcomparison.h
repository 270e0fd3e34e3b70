#pragma once

#include "config/configdiff.h"
#include "config/qvaconfig.h"

// Compares two configurations as the setup windows show them (see
// editors/fieldpresentation.h): one row for every shown value whose bytes
// differ, grouped by section and item, the checksum apart and the reserved
// bytes by offset. Two values that read alike although their bytes differ
// (a name that differs after its end, identifier bits the format ignores)
// show their bytes instead, so every differing byte has a row.
ConfigComparison CompareConfigs(const QVA_CONFIG_DATA& before, const QVA_CONFIG_DATA& after);

// CompareConfigs(before, after).FieldCount() without formatting a value:
// the rows' bytes are the same for every record, so the count is a byte
// comparison (fast enough for a list of a hundred backups).
int CountDifferingFields(const QVA_CONFIG_DATA& before, const QVA_CONFIG_DATA& after);
