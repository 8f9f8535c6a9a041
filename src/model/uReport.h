#pragma once

#include <QByteArray>
#include <QString>

class TConfig;

// The forms of a site's report. Every form leaves out what is not in use: loops outside every
// partition, relays and indicators without a mode, SMS records with neither a type nor a number.
//
// Html: one self-contained page for reading and printing, kept to what QTextDocument renders
//   (headings, tables, a small style sheet): the site's name as title, the devices with their
//   loops, relays and indicators, the partitions, their SMS records, the users.
//
// Csv: comma-separated tables for spreadsheets, one section per object kind in the order
//   devices, loops, relays, indicators, partitions, sms, users. A section is a line "# kind", a
//   line of Russian column headings and one line per object; an empty line ends it. Rows of
//   loops, relays and indicators begin with their device's address, rows of sms with their
//   partition's number. A field holding a comma, semicolon, quote or line break is quoted, its
//   quotes doubled; lines end in CR LF. The title is not used.
//
// Json: the schema "lorim-site", version 1, with English field names (docs/report-json.md).
enum class TReportFormat { Html, Csv, Json };

// The report of a configuration in UTF-8. Passwords read "****" unless withPasswords; title is
// the site's name, left out when empty.
QByteArray SiteReport(const TConfig &config, TReportFormat format, bool withPasswords,
                      const QString &title = {});
