#!/usr/bin/env python3
"""Planted faults: each fault of the table below is put into the tree alone, the test build is
rebuilt, the tests are run, and the tests that failed are recorded; the tree is then put back,
also when the run is interrupted. A fault no test catches is a place the tests do not guard.

  scripts/faults.py                       every fault, every test but the install check
  scripts/faults.py RT01 L04              only these faults
  scripts/faults.py --tests 'Commands'    only the tests whose names match (ctest -R)
  scripts/faults.py --check               only checks that every fault still applies
  scripts/faults.py --results out.json    also keeps the results, for --compare
  scripts/faults.py --compare a.json b.json   caught per area, side by side

--tree and --build name another source tree and its test build (by default this tree and
build/test, configured as scripts/test.sh configures it)."""

import argparse
import fcntl
import json
import os
import signal
import subprocess
import sys
import time
from collections import OrderedDict
from pathlib import Path

# (identifier, area, file, text to find, replacement, what it breaks). The text must occur
# exactly once in the file.
FAULTS = [
    # ---- the frame codec and the exchange ----
    ("L01", "link", "src/link/uFrame.cpp",
     "return b < 0x20 || b == 0x2B || b == TFrame::EscapeMark",
     "return b < 0x20 || b == TFrame::EscapeMark",
     "0x2B is sent unescaped"),
    ("L02", "link", "src/link/uFrame.cpp",
     "FDataOffset = (FBuffer[0] & 0x0F) + (FBuffer[0] >> 4);",
     "FDataOffset = FBuffer[0] & 0x0F;",
     "the fields of a reply behind address bytes are read at the wrong place"),
    ("L03", "link", "src/link/uPort.cpp",
     "for (int attempt = 1; attempt <= attempts && !answered; ++attempt)",
     "for (int attempt = 1; attempt <= attempts + 1 && !answered; ++attempt)",
     "a request is tried 16 times instead of 15"),
    ("L04", "link", "src/link/uPort.cpp",
     "SeqNo = SeqNo == 255 ? 1 : SeqNo + 1;",
     "SeqNo = SeqNo == 255 ? 0 : SeqNo + 1;",
     "the sequence number wraps to 0, which the module does not take"),
    ("L05", "link", "src/link/uPort.cpp",
     "        if (!Acknowledge(Frame.ReplySeq()))\n            return false;\n"
     "        if (Frame.Size() < 1 && !Poll())",
     "        if (!Acknowledge(SeqNo))\n            return false;\n"
     "        if (Frame.Size() < 1 && !Poll())",
     "records of a stream are acknowledged with the tool's own number"),
    ("L06", "link", "src/link/uPort.cpp",
     "if (Frame.Size() < 1 && !Poll())",
     "if (Frame.Size() < 1 && false)",
     "a lost reply inside a record stream ends the read early"),
    ("L07", "link", "src/link/uPort.cpp",
     "    if (IsDataFrame(Frame))\n        return Acknowledge(Frame.ReplySeq());",
     "    if (IsDataFrame(Frame))\n        return Acknowledge(seq);",
     "a trailing data frame is acknowledged with the earlier frame's number"),
    ("L08", "link", "src/link/uPort.cpp",
     "if (!Errors || FShown.contains(text))",
     "if (!Errors)",
     "the same error is shown in more than one box"),
    ("L09", "link", "src/link/uPort.cpp",
     "return LinkLost || *CancelRequest ? 1 : Timings.Attempts;",
     "return Timings.Attempts;",
     "after a lost link every request is still tried 15 times"),
    ("L10", "link", "src/link/uPort.cpp",
     "        } else if (*CancelRequest && !LinkLost) {",
     "        } else if (false) {",
     "a cancel does not stop a job that waits on a silent line"),
    ("L11", "link", "src/link/uTransport.cpp",
     "if (d.senderAddress().toString() == FLink.IP && d.senderPort() == FLink.Port)",
     "if (d.senderAddress().toString() == FLink.IP)",
     "datagrams from any port of the module's address are taken"),
    ("L12", "link", "src/link/uTransport.cpp",
     "if (d.senderAddress().toString() == FLink.IP && d.senderPort() == FLink.Port)",
     "if (d.senderPort() == FLink.Port)",
     "datagrams from any address on the module's port are taken"),
    ("L13", "link", "src/link/uPortWrite.cpp",
     "        if (erasing.elapsed() > Timings.EraseMs)\n            break;\n",
     "",
     "an erase that never ends is waited for"),
    ("L14", "link", "src/link/uPortWrite.cpp",
     "    const bool refused = Frame.IsRefused();\n    if (refused && refusalFails)",
     "    const bool refused = false;\n    if (refused && refusalFails)",
     "a refused object counts as written"),
    ("L15", "link", "src/link/uPortWrite.cpp",
     "    if (!Terminated() && !SendDevices())\n        result = false;\n"
     "    if (!Terminated() && !SendUsers())\n        result = false;",
     "    if (!Terminated() && !SendUsers())\n        result = false;\n"
     "    if (!Terminated() && !SendDevices())\n        result = false;",
     "a whole write sends the users before the devices"),
    ("L16", "link", "src/link/uFrame.cpp",
     "std::uint16_t crc = 0xFFFF;",
     "std::uint16_t crc = 0xFFFE;",
     "the CRC starts from the wrong value, on both ends of a simulated line"),
    ("L17", "link", "src/link/uFrame.cpp",
     "bool skip = FBuffer[0] == 0x00;",
     "bool skip = false;",
     "a reply with a stray zero in front is not read"),
    ("L18", "link", "src/link/uFrame.cpp",
     "        if (Count < TFrame::Capacity)",
     "        if (Count <= TFrame::Capacity)",
     "a frame too long for the buffer is written past its end"),
    ("L19", "link", "src/link/uPort.cpp",
     "(Initialised && Frame.IsLinkLost())",
     "(Frame.IsLinkLost())",
     "the link-lost bit counts before the module is identified"),
    ("L20", "link", "src/link/uPort.cpp",
     "return QStringLiteral(\"Пользователь в системе\");",
     "return QStringLiteral(\"Ошибка ввода пароля\");",
     "a login refused for a user already in gives the wrong reason"),
    ("L21", "link", "src/link/uPort.cpp",
     "            Access.Password = found;",
     "",
     "the connect job does not use the password it found"),
    ("L22", "link", "src/link/uPort.cpp",
     "        if (more == MaxPendingFrames) {",
     "        if (false) {",
     "a module announcing more data without end is acknowledged for ever"),
    ("L23", "link", "src/link/uPort.cpp",
     "        if (!module || module->ID != id) {",
     "        if (!module) {",
     "a whole write goes to a module of another identifier"),
    ("L24", "link", "src/link/uTransport.cpp",
     "        if (!FClaim->Held())",
     "        if (false)",
     "two jobs share one UDP port"),
    ("L25", "link", "src/link/uTransport.cpp",
     "    const int off = 0;",
     "    const int off = 1;",
     "the link socket may broadcast"),
    ("L26", "link", "src/link/uPortWrite.cpp",
     "            move = d.NewNA != 0 && d.NewNA != a;",
     "            move = false;",
     "a device with a new address is not moved"),
    ("L27", "link", "src/link/uPortWrite.cpp",
     "unit.IsIndividual() ? unit.Count() : 0",
     "unit.Count()",
     "indicators are written for units not set up one by one"),
    ("L28", "link", "src/link/uPortWrite.cpp",
     "            if (!sms.Changed)\n                continue;\n",
     "",
     "a change write sends every SMS record"),
    ("L29", "link", "src/link/uTransport.cpp",
     "        if (datagram.size() < MinDatagram)",
     "        if (false)",
     "short requests go out shorter than the 46 bytes a module expects"),
    ("L30", "link", "src/link/uTransport.cpp",
     "        if (device.exists() && !(device.isReadable() && device.isWritable()))",
     "        if (false)",
     "a serial port the user may not open does not say how to mend it"),
    ("L31", "link", "src/link/uPortWrite.cpp",
     "            WriteLog(QStringLiteral(\"Очистка конфигурации не выполнена\"));\n        Terminate();",
     "            WriteLog(QStringLiteral(\"Очистка конфигурации не выполнена\"));",
     "a write goes on after a failed erase"),
    ("L32", "link", "src/link/uPortWrite.cpp",
     "{B(time.second()), B(time.minute()), B(time.hour()),",
     "{B(time.minute()), B(time.second()), B(time.hour()),",
     "the clock goes out with minutes and seconds swapped"),
    ("L33", "link", "src/link/uPort.cpp",
     "            Access.Password = found;\n            // From here on a failure is a failure of the link, not a missing password.\n"
     "            ResultCode = -1;",
     "            Access.Password = found;",
     "a link lost after the password search passes for a refused login"),
    # ---- records and the model ----
    ("M01", "model", "src/model/uUser.cpp",
     "Pswrd2 = DecodePassword(PasswordAt(frame, 13));",
     "Pswrd2 = DecodePassword(PasswordAt(frame, 14));",
     "the silent-alarm password is read from the wrong field"),
    ("M02", "model", "src/model/uDevice.cpp",
     "Mode == ModeASPT || Mode == 6 || Mode == 7;",
     "Mode == ModeASPT || Mode == 7;",
     "relays of mode 6 lose their delay"),
    ("M03", "model", "src/model/uPart.cpp",
     "(Plus != 0 ? 0x40 : 0)",
     "(Plus != 0 ? 0x80 : 0)",
     "the SMS \"+\" is sent in the wrong bit"),
    ("M04", "model", "src/model/uPart.cpp",
     "Delay = (frame.Field(8) * 10u) & 0xFF;",
     "Delay = frame.Field(8) & 0xFF;",
     "a partition's delay is read in tens, not seconds"),
    ("M05", "model", "src/model/uDevice.cpp",
     "const std::uint8_t b19 = frame.Field(19);",
     "const std::uint8_t b19 = frame.Field(20);",
     "the second class byte of a device record is read from the wrong field"),
    ("M06", "model", "src/model/uConfig.cpp",
     "        if (refersTo(u->Part2)) {",
     "        if (refersTo(u->Part1)) {",
     "a user keeps a second partition that was deleted"),
    ("M07", "model", "src/model/uConfig.cpp",
     "            r->ClearRelaysOfPart(p);\n            if (last)",
     "            if (last)",
     "the relays of a deleted partition stay"),
    ("M08", "model", "src/model/uConfig.cpp",
     "                i->Changed = true;\n            }\n            i->ClearIndicatorsOfPart(p);",
     "            }\n            i->ClearIndicatorsOfPart(p);",
     "an indicator unit that loses its partition is not written"),
    ("M09", "model", "src/model/uConfig.cpp",
     "    for (int n = 1; n < static_cast<int>(N); ++n)\n        if (!table[n])\n            return n;",
     "    for (int n = 1; n < static_cast<int>(N) - 1; ++n)\n        if (!table[n])\n"
     "            return n;",
     "address 110, partition 127 and user 255 are never offered"),
    ("M10", "model", "src/model/uConfig.cpp",
     "p <= 254 && !orphans.contains(number) && CountPanelsOfPart(p) < 2",
     "p <= 254 && CountPanelsOfPart(p) < 2",
     "deleting a panel names a partition once per loop"),
    ("M11", "model", "src/model/uNaming.cpp",
     "    b = ByteValue(s.sliced(slash + 1));\n    return b != 0;",
     "    b = ByteValue(s.sliced(slash + 1));\n    return true;",
     "a pair without a loop number is taken"),
    ("M12", "model", "src/model/uCompare.cpp",
     "{u\"пароль тихой тревоги\", WirePassword(u.Pswrd2)}",
     "{u\"пароль тихой тревоги\", WirePassword(u.Pswrd1)}",
     "a change of the silent-alarm password is not listed"),
    ("M13", "model", "src/model/uCompare.cpp",
     "(a ? Change(QStringLiteral(\"есть\"), QStringLiteral(\"нет\"))",
     "(b ? Change(QStringLiteral(\"есть\"), QStringLiteral(\"нет\"))",
     "an object on one side only is reported on the other"),
    ("M14", "model", "src/model/uReport.cpp",
     "            Masked(u.Pswrd2, withPasswords)};",
     "            u.Pswrd2};",
     "the report shows the silent-alarm password unmasked"),
    ("M15", "model", "src/model/uDevice.cpp",
     "    Part = p;\n    if (Type == 0)\n        Type = 2;",
     "    Part = p;",
     "a loop joining a partition stays excluded"),
    ("M16", "model", "src/model/uDevice.h",
     "return n % 2 == 1 ? n + 1 : n - 1;",
     "return n % 2 == 1 ? n - 1 : n + 1;",
     "the fire partner of a loop is looked for in the wrong pair"),
    ("M17", "model", "src/model/uDevice.cpp",
     "        if (start > 0)\n            text.prepend(u'-');",
     "",
     "identifiers are shown without their dashes"),
    ("M18", "model", "src/model/uKinds.cpp",
     "[name](const TKind &k) { return name == QStringView(k.Name); });",
     "[name](const TKind &k) {\n        return name.compare(QStringView(k.Name), Qt::CaseInsensitive) == 0;\n    });",
     "model names are taken in any case"),
    ("M19", "model", "src/model/uReport.cpp",
     "return ch == u',' || ch == u';' || ch == u'\"'",
     "return ch == u';' || ch == u'\"'",
     "a CSV field holding a comma is not quoted"),
    ("M20", "model", "src/model/uReport.cpp",
     "+ text.toHtmlEscaped() +",
     "+ text +",
     "texts go into the HTML report unescaped"),
    ("M21", "model", "src/model/uReport.cpp",
     "{QStringLiteral(\"part2\"), static_cast<int>(u.Part2)},",
     "{QStringLiteral(\"part2\"), static_cast<int>(u.Part1)},",
     "the JSON report gives a user's main partition as the additional one"),
    ("M22", "model", "src/model/uReport.cpp",
     "o.insert(QStringLiteral(\"twoLoops\"), r.TwoShlf != 0);",
     "o.insert(QStringLiteral(\"twoLoops\"), r.TwoShlf == 0);",
     "the JSON report inverts the two-loop option"),
    ("M23", "model", "src/model/uReport.cpp",
     "    if (l.HasDelay())\n        o.insert(QStringLiteral(\"delay\"), l.Delay);",
     "    o.insert(QStringLiteral(\"delay\"), l.Delay);",
     "the JSON report gives a delay to loops that have none"),
    ("M24", "model", "src/model/uConfig.cpp",
     "    if (!list.isEmpty())\n        list.append(NumToName(255));",
     "    list.append(NumToName(255));",
     "\"Любой\" is offered where there is no partition"),
    ("M25", "model", "src/model/uConfig.cpp",
     "        if (output.PointsToLoop() == loopRefs)",
     "        if (output.PointsToLoop() == loopRefs || true)",
     "renumbering a partition also moves references to a panel of that address"),
    ("M26", "model", "src/model/uConfig.cpp",
     "if (l && !l->IsFire() && l->Part == 0)",
     "if (l && l->Part == 0)",
     "a fire loop taken out of its partition loses its relays"),
    ("M27", "model", "src/model/uConfig.cpp",
     "            p->Changed = false;\n            p->Deleted = false;",
     "            p->Changed = false;",
     "a partition stays marked deleted after the marks are cleared"),
    ("M28", "model", "src/model/uConfig.cpp",
     "                     l->DelayText()});",
     "                     QString::number(l->Delay)});",
     "a partition's list of loops gives a delay to loops that have none"),
    ("M29", "model", "src/model/uDevice.cpp",
     "Flags = frame.Field(10) >> 5;",
     "Flags = frame.Field(10) >> 4;",
     "a loop's flags are read from the wrong bits"),
    ("M30", "model", "src/model/uConfig.cpp",
     "const bool last = PartCount() == 1;",
     "const bool last = false;",
     "after the last partition \"any partition\" still names something"),
    ("M31", "model", "src/model/uNaming.cpp",
     "while (first < last && s[first].unicode() <= 32)",
     "while (first < last && s[first].unicode() < 32)",
     "leading blanks are not trimmed"),
    ("M32", "model", "src/model/uCompare.cpp",
     "return N((seconds & 0xFF) / 10 * 10)",
     "return N(seconds & 0xFF)",
     "delays within the same ten seconds are reported as a difference"),
    # ---- files: database, INI, catalogue, backups ----
    ("F01", "storage", "src/storage/uDB.cpp",
     "a, i, relay->Mode, relay->Device, aspt ? relay->Shlf : 0, relay->Delay};",
     "a, i, relay->Mode, relay->Device, relay->Delay, aspt ? relay->Shlf : 0};",
     "a relay's loop and delay are saved in each other's columns"),
    ("F02", "storage", "src/storage/uDB.cpp",
     "(ref >= 1 && ref <= TConfig::MaxPart && FConfig->Part(ref))",
     "(ref >= 1 && ref < TConfig::MaxPart && FConfig->Part(ref))",
     "references to partition 127 are dropped on load"),
    ("F03", "storage", "src/storage/uDB.cpp",
     "if (FAllWritten && FConnection.Execute(QStringLiteral(\"COMMIT\")))",
     "if (FAllWritten)",
     "a save is never committed"),
    ("F04", "storage", "src/storage/uIniFile.cpp",
     "        if (name.toLower() == wanted)",
     "        if (name == section)",
     "a section written by hand in other case is not replaced"),
    ("F05", "storage", "src/storage/uIniFile.cpp",
     "return s->value(key.toLower(), def);",
     "return s->value(key, def);",
     "keys are matched with their case"),
    ("F06", "storage", "src/storage/uIniFile.cpp",
     "QFile file(QFileInfo::exists(path.Write) ? path.Write : path.Read);",
     "QFile file(path.Write);",
     "the read-only INI file beside the program is never read"),
    ("F07", "storage", "src/storage/uIniFile.cpp",
     "QFile file(QFileInfo::exists(path.Write) ? path.Write : path.Read);",
     "QFile file(path.Read);",
     "the user's own INI file is never read once it exists"),
    ("F08", "storage", "src/storage/uCatalog.cpp",
     "for (qsizetype i = 1; i <= entries.size(); ++i) {",
     "for (qsizetype i = 1; i < entries.size(); ++i) {",
     "the catalogue loses its last entry on saving"),
    ("F09", "storage", "src/storage/uBackup.cpp",
     "QFile::remove(folder.filePath(names[i]));",
     "QFile::remove(folder.filePath(names[names.size() - 1 - i]));",
     "the newest backups are removed instead of the oldest"),
    ("F10", "storage", "src/storage/uBackup.cpp",
     "        failure = SaveFailure(saved, path);\n        return QString();",
     "        failure = SaveFailure(saved, path);\n        return path;",
     "a backup that was not saved passes for one"),
    ("F11", "storage", "src/storage/uDB.cpp",
     "QStringLiteral(\"  Не удалось открыть таблицу \") + table))\n        return;",
     "QString()))\n        return;",
     "a table of outputs missing from a file goes unmentioned"),
    ("F12", "storage", "src/storage/uDB.cpp",
     "    if (IsReadOnly(target))\n        return TSaveResult::ReadOnly;\n",
     "    if (IsReadOnly(target) && false)\n        return TSaveResult::ReadOnly;\n",
     "a file marked read-only is replaced"),
    ("F13", "storage", "src/storage/uDB.cpp",
     "FFailure = QStringLiteral(\"файл не найден\");",
     "FFailure = NotConfiguration();",
     "a missing file is called no configuration file"),
    ("F14", "storage", "src/storage/uIniFile.cpp",
     "    value.replace(u'\\n', u' ');",
     "",
     "a line break in a value writes a key of its own"),
    ("F15", "storage", "src/storage/uIniFile.cpp",
     "    messages.ShowMessage(QStringLiteral(\"Ошибка записи в ini-файл\"));",
     "    (void)messages;",
     "a failed write of the INI file says nothing"),
    ("F16", "storage", "src/link/uOptnLink.cpp",
     "ReadRanged(ini, QStringLiteral(\"Port\"), defaults.Port, 1, 65535);",
     "ReadRanged(ini, QStringLiteral(\"Port\"), defaults.Port, 0, 70000);",
     "a UDP port out of range is taken from the INI file"),
    ("F17", "storage", "src/storage/uCatalog.cpp",
     "std::min(ini.ReadInteger(Section, QStringLiteral(\"Count\"), 0), LastPathIndex(ini));",
     "ini.ReadInteger(Section, QStringLiteral(\"Count\"), 0) + 0 * LastPathIndex(ini);",
     "a huge entry count in the INI file is walked to its end"),
    ("F18", "storage", "src/storage/uIniFile.cpp",
     "    const bool installed = !exeDir.exists(QStringLiteral(\"config.md_\")) &&",
     "    const bool installed = false &&",
     "an installed program run by root writes its settings beside itself"),
    ("F19", "storage", "src/storage/uIniFile.cpp",
     "    QSaveFile file(FWritePath);\n",
     "    QSaveFile file(FWritePath);\n    file.setDirectWriteFallback(true);\n",
     "an INI file that cannot be replaced whole is written in place"),
    ("F20", "storage", "src/link/uOptnLink.cpp",
     "if (!ok || p < 1 || p > 65535)",
     "if (!ok || p < 0 || p > 65536)",
     "UDP ports 0 and 65536 are taken"),
    ("F21", "storage", "src/storage/uDB.cpp",
     "(ref >= 1 && ref <= TConfig::MaxPart && FConfig->Part(ref))",
     "(ref >= 1 && ref <= TConfig::MaxPart)",
     "outputs that name a missing partition are loaded"),
    ("F22", "storage", "src/storage/uDB.cpp",
     "if (type < 1 || type > 9 || !FConfig->Part(part))",
     "if (type < 1 || type > 9)",
     "loops of a missing partition are loaded"),
    # ---- the command-line tool ----
    ("C01", "cli", "src/cli/main.cpp",
     "return resultCode == 1 ? ExitDone : resultCode == 0 ? ExitRefused : ExitLink;",
     "return resultCode == 1 ? ExitDone : resultCode == 0 ? ExitLink : ExitRefused;",
     "a refused login and a lost link give each other's exit status"),
    ("C02", "cli", "src/cli/main.cpp",
     "        Print(differences);\n        return differences.isEmpty() ? ExitDone : ExitDiffer;\n    }\n\n    // Checks",
     "        Print(differences);\n        return ExitDone;\n    }\n\n    // Checks",
     "diff says the same when the configurations differ"),
    ("C03", "cli", "src/cli/main.cpp",
     "        if (keep && !Backup(password, before, backup))\n            return ExitFile;",
     "        if (keep)\n            Backup(password, before, backup);",
     "write erases the module without a backup"),
    ("C04", "cli", "src/cli/main.cpp",
     "RunJob(JobWrite, config, password, restore ? &before : nullptr);",
     "RunJob(JobWrite, config, password, restore && false ? &before : nullptr);",
     "a failed write does not write the backup back"),
    ("C05", "cli", "src/cli/main.cpp",
     "return name.isEmpty() ? QFileInfo(file).completeBaseName() : name;",
     "return QFileInfo(file).completeBaseName();",
     "a report is titled with the file's name, not the catalogue's"),
    # ---- the module simulator ----
    ("S01", "sim", "src/sim/uSimCore.cpp",
     "status = PasswordWord(user->Pswrd1) == password ? LoginAccepted : LoginWrongPassword;",
     "status = PasswordWord(user->Pswrd1) == password || true ? LoginAccepted : LoginWrongPassword;",
     "the simulated module takes any password"),
    ("S02", "sim", "src/sim/uSimCore.cpp",
     "|| date.dayOfWeek() != b[3])",
     ")",
     "the simulated module takes a clock with the wrong day of the week"),
    ("S03", "sim", "src/sim/uSimCore.cpp",
     "if (!in.Complete() || from == ModuleAddress || !config.Device(from) || !IsAddress(to) ||",
     "if (!in.Complete() || !config.Device(from) || !IsAddress(to) ||",
     "the simulated module moves itself"),
    ("S04", "sim", "src/sim/uSimCore.cpp",
     "                relays->Relay(n)->Clear();\n",
     "",
     "the simulated erase keeps the module's relays"),
    # ---- the dialogs and the windows ----
    ("D01", "dialogs", "src/ui/uTuningUser.cpp",
     "if (number == TUser::AdminNumber && edited.Pswrd1.isEmpty()) {",
     "if (number == TUser::AdminNumber && edited.Pswrd2.isEmpty()) {",
     "an empty administrator's password is taken"),
    ("D02", "dialogs", "src/ui/uTuningPart.cpp",
     "FinishEdit(number != FNumber || delay != FPart.Delay, store);",
     "FinishEdit(number != FNumber, store);",
     "a change of a partition's delay alone is lost"),
    ("D03", "dialogs", "src/ui/uTuningShlf.cpp",
     "if (lastLoop && !Boxes.AskYesNo(LastLoopQuestion(left), QStringLiteral(\"Внимание\")))",
     "if (lastLoop && (Boxes.AskYesNo(LastLoopQuestion(left), QStringLiteral(\"Внимание\")), false))",
     "No to \"the partition will be deleted\" is ignored"),
    ("D04", "dialogs", "src/ui/uTuningDev.cpp",
     "        part = FShownPart;\n        return true;",
     "        part = 0;\n        return true;",
     "a keypad bound to any partition loses the binding on OK"),
    ("D05", "dialogs", "src/ui/uTuningKeyDB.cpp",
     "else if (key != TrimControls(FKey) && FConfig.FindByKeyDB(key) != 0)",
     "else if (key == TrimControls(FKey) && FConfig.FindByKeyDB(key) != 0)",
     "a database key held by another object is taken"),
    ("D06", "dialogs", "src/ui/uTuningSMS.cpp",
     "edited.Phone = phone.mid(static_cast<int>(edited.Plus));",
     "edited.Phone = phone.mid(1);",
     "an SMS number without \"+\" loses its first digit"),
    ("D07", "dialogs", "src/ui/uAddShlf.cpp",
     "        else if (FRealTime)\n            break;",
     "        else if (FRealTime)\n            continue;",
     "loops are still written after one the module refused"),
    ("D08", "dialogs", "src/ui/uJobs.cpp",
     "        sinks.Messages->ShowMessage(SaveFailure(saved, context.FileName));\n"
     "    return TJobResult::No;",
     "        sinks.Messages->ShowMessage(SaveFailure(saved, context.FileName));\n"
     "    return TJobResult::Ok;",
     "a failed save passes for a save"),
    ("D09", "dialogs", "src/ui/uViewCfg.cpp",
     "const TCatalogEntry gone = RowEntry(row);",
     "const TCatalogEntry gone = RowEntry(list->topLevelItem(visibleIndex));",
     "\"Удалить\" in a filtered catalogue takes another entry"),
    ("D10", "dialogs", "src/ui/uViewCfg.cpp",
     "[this](const QString &backup) { WriteToModule(backup); }",
     "[this](const QString &) { WriteToModule(); }",
     "restoring a chosen backup writes the entry's file instead"),
    ("D11", "dialogs", "src/ui/uCfg.cpp",
     "const bool password = FJob.LoginStatus == 0 || FJob.LoginStatus == -1;",
     "const bool password = true;",
     "a start that cannot succeed still asks for a password"),
    ("D12", "dialogs", "src/ui/uTuningRelay.cpp",
     "FUi->chb->setEnabled(pairIsFire);",
     "FUi->chb->setEnabled(true);",
     "\"АСПТ\" offers two loops without a fire partner"),
    ("D13", "dialogs", "src/ui/uTuningRelay.cpp",
     "        if (edited.Device == 0) {\n"
     "            Boxes.ShowMessage(QStringLiteral(\"В данном режиме работы необходимо выбрать раздел!\"));",
     "        if (false) {\n"
     "            Boxes.ShowMessage(QStringLiteral(\"В данном режиме работы необходимо выбрать раздел!\"));",
     "a relay without a partition is taken"),
    ("D14", "dialogs", "src/ui/uTuningRelay.cpp",
     "        edited.Delay = 0;\n        edited.Device = 0;",
     "",
     "an undefined relay keeps a partition and a delay"),
    ("D15", "dialogs", "src/ui/uTuningIndic.cpp",
     "        if (edited.Device == 0) {\n            Boxes.ShowMessage(QStringLiteral(\"Необходимо выбрать раздел!\"));",
     "        if (false) {\n            Boxes.ShowMessage(QStringLiteral(\"Необходимо выбрать раздел!\"));",
     "an indicator of no partition is taken"),
    ("D16", "dialogs", "src/ui/uTuningLink.cpp",
     "octet = QString::number(octet.toInt());",
     "octet = QString::number(octet.toInt(nullptr, 0));",
     "a padded octet of an address is read as octal"),
    ("D17", "dialogs", "src/ui/uDialogFrame.cpp",
     "if (changed && ConfirmChange(Boxes)) {",
     "if ((changed || true) && ConfirmChange(Boxes)) {",
     "OK without a change asks and stores"),
    ("D18", "dialogs", "src/ui/uDialogFrame.cpp",
     "        CommitTypedNumbers();\n        OkClicked();",
     "        OkClicked();",
     "a number typed and taken with Enter is lost"),
    ("D19", "dialogs", "src/ui/uTuningDev.cpp",
     "if (holder != 0 && holder != FAddress)",
     "if (holder != 0 && holder != FAddress && false)",
     "an identifier another device holds is taken"),
    ("D20", "dialogs", "src/ui/uTuningAccess.cpp",
     "    if (password.isEmpty()) {",
     "    if (false) {",
     "an empty access password is taken"),
    ("D21", "dialogs", "src/ui/uUpdateCfg.cpp",
     "QFileInfo(path).absoluteFilePath() != FReplaceConfirmed &&",
     "",
     "a file replaced in the save dialog is asked about again"),
    ("D22", "dialogs", "src/ui/uUpdateCfg.cpp",
     "    if (!AccessPassword.Password.isEmpty())\n"
     "        fresh.User(TUser::AdminNumber)->Pswrd1 = AccessPassword.Password;",
     "",
     "a new file does not get the password given for it"),
    ("D23", "dialogs", "src/ui/uTuningUser.cpp",
     "FUi->cbPart2->setEnabled(single);",
     "FUi->cbPart2->setEnabled(true);",
     "the additional partition is offered beside none or any"),
    ("D24", "dialogs", "src/ui/uTuningSMS.cpp",
     "        return phone.text().startsWith(Plus) && phone.cursorPosition() == 1 &&",
     "        return false && phone.cursorPosition() == 1 &&",
     "Backspace removes the \"+\" of an SMS number"),
    ("D25", "dialogs", "src/ui/uViewCfg.cpp",
     "static_cast<QKeyEvent *>(event)->key() == Qt::Key_Insert)\n        return true;",
     "static_cast<QKeyEvent *>(event)->key() == Qt::Key_Insert)\n        return false;",
     "Insert in the filter box opens the entry dialog"),
    ("D26", "dialogs", "src/ui/uMain.cpp",
     "    hide();\n    OpenModeWindow(",
     "    OpenModeWindow(",
     "the start window stays up under the mode's window"),
    ("D27", "dialogs", "src/ui/uStatus.cpp",
     "    *FCancelRequest = true;\n",
     "",
     "\"Отмена\" does not stop the job"),
    ("D28", "dialogs", "src/ui/uTuningUser.cpp",
     "SetUpPassword(FUi->edPwd2, 8, FUser.Pswrd2);",
     "SetUpPassword(FUi->edPwd2, 9, FUser.Pswrd2);",
     "a silent-alarm password longer than the module keeps is taken"),
    ("D29", "dialogs", "src/ui/uUiUtil.cpp",
     "        if (event->type() == QEvent::FocusIn)",
     "        if (event->type() == QEvent::FocusIn && false)",
     "a password typed for a new user is added to the default shown"),
    ("D30", "dialogs", "src/ui/uMessageBoxes.cpp",
     "Show(QMessageBox::Warning, text); }",
     "Show(QMessageBox::Information, text); }",
     "errors are shown as notices"),
    ("D31", "dialogs", "src/ui/uTuningUser.cpp",
     "PickedOr(FUi->cbType, static_cast<int>(FUser.Type))",
     "PickedOr(FUi->cbType, 0)",
     "a user type the list does not offer is lost on OK"),
    ("D32", "dialogs", "src/ui/uTuningShlf.cpp",
     "    if (ticked)\n        FUi->sedDelay->setValue(0);\n",
     "",
     "a loop that must trigger twice keeps a delay"),
    ("D33", "dialogs", "src/ui/uTuningShlf.cpp",
     "for (int i = 0; i < TypesOnlyInFullList; ++i)",
     "for (int i = 0; i < TypesOnlyInFullList - 1; ++i)",
     "a \"ВЕКТ-8 v4\" loop is offered a type it does not have"),
    ("D34", "dialogs", "src/ui/uTuningDev.cpp",
     "    if (ModeNeedsPart(CheckedMode(*FUi)) && FPart == 0) {",
     "    if (false) {",
     "an indication unit in a mode that shows a partition is taken without one"),
    ("D35", "dialogs", "src/ui/uTuningLink.cpp",
     "    FUi->cbSpeed->setCurrentText(LinkSpeed);\n",
     "",
     "the link dialog shows and saves a speed the link does not run at"),
    ("D36", "dialogs", "src/ui/uUpdateCfg.cpp",
     "        Boxes.ShowMessage(QStringLiteral(\"Не найден файл config.md_\"));\n",
     "",
     "a file that cannot be created for want of the template says nothing"),
    ("D37", "dialogs", "src/ui/uViewCfg.cpp",
     "    if (editor.StartUp())\n        command(editor);",
     "    editor.StartUp();\n    command(editor);",
     "an entry's file that does not load is written all the same"),
    ("E01", "editor", "src/ui/uCfg.cpp",
     "if (list->topLevelItem(i)->text(0).trimmed() == wanted)",
     "if (list->topLevelItem(i)->text(0) == wanted)",
     "rows are never found again: a new object is not selected"),
    ("E02", "editor", "src/ui/uCfg.cpp",
     "        for (int u = 1; u <= TConfig::MaxUser; ++u)\n"
     "            if (const TUser *user = Config->User(u))\n                AddRow(FUi->lvUser,",
     "        for (int u = 1; u < TConfig::MaxUser; ++u)\n"
     "            if (const TUser *user = Config->User(u))\n                AddRow(FUi->lvUser,",
     "user 255 is not listed"),
    ("E03", "editor", "src/ui/uCfgCommands.cpp",
     "    if (Config->Device(address)->IsCM()) {",
     "    if (false) {",
     "the module can be deleted"),
    ("E04", "editor", "src/ui/uCfgCommands.cpp",
     "    if (path != chosen && QFileInfo::exists(path) &&",
     "    if (false && QFileInfo::exists(path) &&",
     "\"Save as\" replaces a configuration file unasked"),
    ("E05", "editor", "src/ui/uCfgCommands.cpp",
     "    Config->MoveUser(number, chosen);\n",
     "",
     "a user given another number keeps the old one"),
    ("E06", "editor", "src/ui/uCfgCommands.cpp",
     "    if (chosen != number)\n        Config->RenumberPart(number, chosen);\n",
     "",
     "a partition given another number keeps the old one"),
    ("E07", "editor", "src/ui/uCfg.cpp",
     "    if (!CloseRequested &&\n        !FBoxes.AskYesNo(",
     "    if (false &&\n        !FBoxes.AskYesNo(",
     "the editor closes without asking"),
    ("E08", "editor", "src/ui/uCfg.cpp",
     "        CloseRequested = true;\n        return false;",
     "        return false;",
     "an editor that could not start asks before it closes"),
    ("E09", "editor", "src/ui/uCfg.cpp",
     "            if (!EditAccess(AccessPassword, FBoxes, this))\n                break;",
     "            EditAccess(AccessPassword, FBoxes, this);\n            break;",
     "the password typed at start-up is not tried"),
    # ---- real-time writes and their undoing ----
    ("RT01", "real-time write and undo", "src/ui/uCfgCommands.cpp",
     "        device->NewNA = static_cast<std::uint8_t>(chosen);",
     "        device->NewNA = static_cast<std::uint8_t>(address);",
     "a device's new address never reaches the module"),
    ("RT02", "real-time write and undo", "src/ui/uCfgCommands.cpp",
     "        Config->Assign(before);\n",
     "        (void)before;\n",
     "a change the module refused stays in the editor"),
    ("RT03", "real-time write and undo", "src/ui/uCfgCommands.cpp",
     "        SetOutOfStep(true);\n",
     "",
     "a write whose outcome is unknown does not mark the editor out of step"),
    ("RT04", "real-time write and undo", "src/ui/uCfgCommands.cpp",
     "            Config->RepointDeviceRefs(address, chosen);\n",
     "",
     "the relays on a panel that moves do not follow it"),
    ("RT05", "real-time write and undo", "src/ui/uCfgCommands.cpp",
     "    read->KeepKeysOf(*Config);\n",
     "",
     "a read-back loses the database keys typed in the editor"),
    ("RT06", "real-time write and undo", "src/ui/uCfgCommands.cpp",
     "    const std::unique_ptr<TConfig> before = Config->Clone();\n    ClearMarks();",
     "    const std::unique_ptr<TConfig> before = Config->Clone();\n    Config->ClearFlags();",
     "SMS records marked earlier go along with another change"),
    ("RT07", "real-time write and undo", "src/ui/uCfgCommands.cpp",
     "    SelectRow(list, FindRow(list, selected));",
     "    (void)selected;",
     "a failed write loses the selected row"),
    ("RT08", "real-time write and undo", "src/ui/uCfgCommands.cpp",
     "    if (!AskToWriteAll())\n        return false;\n    // A whole write erases",
     "    AskToWriteAll();\n    // A whole write erases",
     "No at \"Записать конфигурацию?\" is ignored"),
    ("RT09", "real-time write and undo", "src/ui/uCfgCommands.cpp",
     "                    QStringLiteral(\"Внимание\"), {}, true))\n        return false;",
     "                    QStringLiteral(\"Внимание\"), {}, true) && false)\n        return false;",
     "No at \"Записать без резервной копии?\" is ignored"),
    ("RT10", "real-time write and undo", "src/ui/uCfgCommands.cpp",
     "|| !Ask(QStringLiteral(\"Удалить шлейф?\")))",
     "|| (Ask(QStringLiteral(\"Удалить шлейф?\")), false))",
     "No at \"Удалить шлейф?\" is ignored"),
    ("RT11", "real-time write and undo", "src/ui/uCfgCommands.cpp",
     "    if (RealTime && !WriteOneChange([this, number] { Config->User(number)->MarkDeleted(); }))\n"
     "        return;",
     "    if (RealTime)\n        WriteOneChange([this, number] { Config->User(number)->MarkDeleted(); });",
     "a user delete the module refused still removes the user"),
    ("RT12", "real-time write and undo", "src/ui/uCfgCommands.cpp",
     "    if (RealTime && !WriteOneChange([this, address] { Config->Device(address)->MarkDeleted(); }))\n"
     "        return;",
     "    if (RealTime)\n"
     "        WriteOneChange([this, address] { Config->Device(address)->MarkDeleted(); });",
     "a device delete the module refused still removes the device"),
    ("RT13", "real-time write and undo", "src/ui/uCfgCommands.cpp",
     "    if (RealTime && panel && !WriteChange(*before))",
     "    if (false && panel && !WriteChange(*before))",
     "deleting a panel does not write its loops and the relays on them"),
    ("RT14", "real-time write and undo", "src/ui/uCfgCommands.cpp",
     "    if (RealTime && !WriteOne(*before, [part] { part->Changed = true; }))",
     "    if (RealTime && !WriteOne(*before, [] {}))",
     "a partition's change never reaches the module"),
    ("RT15", "real-time write and undo", "src/ui/uCfgCommands.cpp",
     "    Config->DropLoopRefs(address, loop);\n    if (RealTime) {",
     "    if (RealTime) {",
     "a loop taken out of its partition keeps the relays on it"),
    ("RT16", "real-time write and undo", "src/ui/uCfgCommands.cpp",
     "    if (chosen == TUser::AdminNumber)\n        AccessPassword.Password = user->Pswrd1;",
     "",
     "later jobs log in with the administrator's old password"),
    ("RT17", "real-time write and undo", "src/link/uPortWrite.cpp",
     "PutBackOutput(a, n, outputAt, kind, taken)) {",
     "false) {",
     "an output whose new record was refused is not put back"),
    ("RT18", "real-time write and undo", "src/link/uPortWrite.cpp",
     "void TThreadPort::RestorePrevious()\n{\n",
     "void TThreadPort::RestorePrevious()\n{\n    return;\n",
     "a whole write that failed after the erase does not write the backup back"),
    ("RT19", "real-time write and undo", "src/link/uPortWrite.cpp",
     "            d.Changed = false;\n            code = CodeDeviceChange;",
     "            code = CodeDeviceChange;",
     "a change write leaves a device marked"),
    ("RT20", "real-time write and undo", "src/link/uPortWrite.cpp",
     "        if (user.Deleted)\n            return DeleteLogged(CodeDeleteUser, u,",
     "        if (false)\n            return DeleteLogged(CodeDeleteUser, u,",
     "a deleted user is sent again instead of deleted"),
    ("RT21", "real-time write and undo", "src/link/uPortWrite.cpp",
     "const bool refusalCounts = deleted == TSent::Refused && kind.RefusedDeleteFails;",
     "const bool refusalCounts = false;",
     "a refused relay delete passes for done"),
    ("RT22", "real-time write and undo", "src/link/uPortWrite.cpp",
     "            sms.Changed = false;\n",
     "",
     "a change write leaves SMS records marked"),
]

TEST_ENV = {
    "ASAN_OPTIONS": "detect_leaks=1:abort_on_error=1",
    "UBSAN_OPTIONS": "print_stacktrace=1:halt_on_error=1",
    "QT_QPA_PLATFORM": "offscreen",
}


class Stop(Exception):
    pass


def on_signal(signum, frame):
    raise Stop(f"signal {signum}")


def check(tree):
    """Every fault's text occurs once; the problems found."""
    problems = []
    seen = set()
    for ident, _area, file, old, _new, _what in FAULTS:
        if ident in seen:
            problems.append(f"{ident}: used twice")
        seen.add(ident)
        path = tree / file
        count = path.read_text(encoding="utf-8").count(old) if path.exists() else -1
        if count != 1:
            problems.append(f"{ident}: {file}: the text occurs {count} times")
    return problems


def run(cmd, log, **kw):
    with open(log, "a", encoding="utf-8") as out:
        out.write(f"$ {' '.join(cmd)}\n")
        out.flush()
        return subprocess.run(cmd, stdout=out, stderr=subprocess.STDOUT, **kw).returncode


def failed_tests(build):
    failed = build / "Testing" / "Temporary" / "LastTestsFailed.log"
    if not failed.exists():
        return []
    return sorted(line.split(":", 1)[1].strip() for line in failed.read_text().splitlines()
                  if ":" in line)


def run_tests(build, args, log):
    failed = build / "Testing" / "Temporary" / "LastTestsFailed.log"
    if failed.exists():
        failed.unlink()
    cmd = ["ctest", "--test-dir", str(build), "-j", str(args.jobs), "--timeout",
           str(args.timeout), "-E", args.exclude]
    if args.tests:
        cmd += ["-R", args.tests]
    run(cmd, log, env=dict(os.environ, **TEST_ENV))
    return failed_tests(build)


def plant(tree, build, fault, args, log, pending):
    ident, _area, file, old, new, _what = fault
    path = tree / file
    original = path.read_text(encoding="utf-8")
    # The original is kept on disk too, so that a run killed outright can be mended.
    pending.write_text(json.dumps({str(path): original}), encoding="utf-8")
    try:
        path.write_text(original.replace(old, new, 1), encoding="utf-8")
        if run(["cmake", "--build", str(build)], log) != 0:
            return None
        return run_tests(build, args, log)
    finally:
        path.write_text(original, encoding="utf-8")
        pending.unlink()


def mend(pending):
    """Puts back a file a killed run left with its fault in it."""
    if pending.exists():
        for path, text in json.loads(pending.read_text(encoding="utf-8")).items():
            Path(path).write_text(text, encoding="utf-8")
            print(f"put back {path}, left by an interrupted run")
        pending.unlink()


def compare(first, second):
    """Caught per area in two result files, as a Markdown table."""
    runs = [json.loads(Path(p).read_text(encoding="utf-8")) for p in (first, second)]
    areas = OrderedDict()
    for _ident, area, *_rest in FAULTS:
        areas.setdefault(area, None)
    for r in runs:
        for result in r.values():
            areas.setdefault(result["area"], None)

    def measured(r, ident):
        return ident in r and r[ident]["caught"] is not None

    def tally(r, area=None, only=None):
        chosen = [x for ident, x in r.items() if measured(r, ident) and
                  (area is None or x["area"] == area) and (only is None or measured(only, ident))]
        return f"{sum(1 for x in chosen if x['caught'])} of {len(chosen)}"

    # The third column counts the second run on the faults the first one measured too, so that
    # faults added between the runs do not blur the comparison.
    print("| area | first run | second run, same faults | second run, all faults |")
    print("|------|-----------|-------------------------|------------------------|")
    for area in list(areas) + [None]:
        print(f"| {area or 'all'} | {tally(runs[0], area)} | {tally(runs[1], area, runs[0])} "
              f"| {tally(runs[1], area)} |")

    def verdict(r, ident):
        x = r.get(ident)
        if x is None or x["caught"] is None:
            return "–"
        if not x["caught"]:
            return "**missed**"
        more = len(x["tests"]) - 3
        return ", ".join(x["tests"][:3]) + (f" and {more} more" if more > 0 else "")

    print("\n| fault | what it breaks | caught before by | caught after by |")
    print("|-------|----------------|------------------|-----------------|")
    for ident, _area, _file, _old, _new, what in FAULTS:
        print(f"| {ident} | {what} | {verdict(runs[0], ident)} | {verdict(runs[1], ident)} |")


def main():
    repo = Path(__file__).resolve().parent.parent
    p = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    p.add_argument("faults", nargs="*", help="identifiers of the faults to plant (default all)")
    p.add_argument("--tree", type=Path, default=repo)
    p.add_argument("--build", type=Path)
    p.add_argument("--tests", help="only tests whose names match (ctest -R)")
    p.add_argument("--exclude", default=r"^Install\.", help="tests left out (ctest -E)")
    p.add_argument("--timeout", type=int, default=60, help="seconds a test may take")
    p.add_argument("--jobs", type=int, default=2)
    p.add_argument("--results", type=Path, help="a JSON file for the results")
    p.add_argument("--check", action="store_true", help="only check that the faults apply")
    p.add_argument("--list", action="store_true", help="list the faults")
    p.add_argument("--compare", nargs=2, metavar="RESULTS", help="compare two result files")
    args = p.parse_args()

    if args.compare:
        compare(*args.compare)
        return 0
    if args.list:
        for ident, area, file, _old, _new, what in FAULTS:
            print(f"{ident:5} {area:25} {file:28} {what}")
        return 0
    tree = args.tree.resolve()
    build = (args.build or tree / "build" / "test").resolve()
    pending = build / "faults-pending.json"
    build.mkdir(parents=True, exist_ok=True)
    problems = check(tree)
    if problems or args.check:
        print("\n".join(problems) or f"all {len(FAULTS)} faults apply")
        return 1 if problems else 0

    # One run at a time in a build: another would take this one's fault for the tree's text.
    lock = open(build / "faults.lock", "w")
    try:
        fcntl.flock(lock, fcntl.LOCK_EX | fcntl.LOCK_NB)
    except OSError:
        print(f"another run of the faults is using {build}")
        return 1
    mend(pending)
    chosen = [f for f in FAULTS if not args.faults or f[0] in args.faults]
    log = build / "faults.log"
    log.write_text("", encoding="utf-8")
    signal.signal(signal.SIGTERM, on_signal)
    signal.signal(signal.SIGHUP, on_signal)
    # Results of an earlier run of other faults are kept, so that a run can be completed.
    results = OrderedDict()
    if args.results and args.results.exists():
        results.update(json.loads(args.results.read_text(encoding="utf-8")))
    try:
        if run(["cmake", "--build", str(build)], log) != 0 or run_tests(build, args, log):
            print(f"the tree does not build or its tests fail without a fault: see {log}")
            return 1
        for fault in chosen:
            ident, area, _file, _old, _new, what = fault
            start = time.time()
            failed = plant(tree, build, fault, args, log, pending)
            results[ident] = {"area": area, "what": what, "caught": None if failed is None
                              else bool(failed), "tests": failed or []}
            verdict = "BUILD FAILED" if failed is None else "caught" if failed else "MISSED"
            print(f"{ident:5} {verdict:7} {time.time() - start:4.0f} s  {what}"
                  + (f"\n      {' '.join(failed)}" if failed else ""), flush=True)
            if args.results:
                args.results.write_text(json.dumps(results, ensure_ascii=False, indent=1),
                                        encoding="utf-8")
    except (KeyboardInterrupt, Stop) as stop:
        print(f"stopped ({stop or 'interrupt'}); the tree is as it was")
    finally:
        # The build again matches the tree.
        run(["cmake", "--build", str(build)], log)
    counted = [r for r in results.values() if r["caught"] is not None]
    print(f"caught {sum(r['caught'] for r in counted)} of {len(counted)}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
