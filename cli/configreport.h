#pragma once

#include <QByteArray>
#include <QStringList>

#include "config/configdiff.h"
#include "config/qvaconfig.h"

// The text forms of qva-cli's reports on a configuration record.

// One "name = value" line per named field, in record order.
QByteArray DumpText(const QVA_CONFIG_DATA& config);

// One JSON object with the same names, in record order; pure ASCII.
QByteArray DumpJson(const QVA_CONFIG_DATA& config);
