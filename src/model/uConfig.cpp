#include "model/uConfig.h"

#include "link/uFrame.h"
#include "model/uNaming.h"
#include "model/uNotify.h"

#include <QSet>

#include <algorithm>

namespace {

QString Padded(int n, int width) { return PadLeft(QString::number(n), u' ', width); }

// Slot tables: index 0 is never used, numbers run from 1 to the table's size - 1.
template <typename T, std::size_t N> constexpr int LastNumber(const std::array<T, N> &)
{
    return static_cast<int>(N) - 1;
}

template <typename T, std::size_t N>
T *SlotAt(const std::array<std::unique_ptr<T>, N> &table, int n)
{
    return n >= 1 && n < static_cast<int>(N) ? table[n].get() : nullptr;
}

template <typename T, std::size_t N> int FirstFree(const std::array<std::unique_ptr<T>, N> &table)
{
    for (int n = 1; n < static_cast<int>(N); ++n)
        if (!table[n])
            return n;
    return 0;
}

template <typename T, std::size_t N> int Occupied(const std::array<std::unique_ptr<T>, N> &table)
{
    return static_cast<int>(std::count_if(
        table.begin() + 1, table.end(), [](const std::unique_ptr<T> &s) { return s != nullptr; }));
}

template <typename T, std::size_t N>
void MoveSlot(std::array<std::unique_ptr<T>, N> &table, int from, int to)
{
    if (from != to && SlotAt(table, from) && to >= 1 && to < static_cast<int>(N) && !table[to])
        table[to] = std::move(table[from]);
}

// The free numbers of a table, padded to sort numerically, plus the current one.
template <typename T, std::size_t N>
int FillFree(const std::array<std::unique_ptr<T>, N> &table, QStringList &list, int current)
{
    list.clear();
    for (int n = 1; n < static_cast<int>(N); ++n)
        if (!table[n])
            list.append(Padded(n, 3));
    if (current == 0)
        return list.isEmpty() ? -1 : 0;
    const QString item = Padded(current, 3);
    if (!list.contains(item)) {
        list.append(item);
        list.sort();
    }
    return static_cast<int>(list.indexOf(item));
}

void Log(TLogSink *log, const QString &line)
{
    if (log != nullptr)
        log->WriteLog(line);
}

QString TrimmedID(const QString &id) { return PadLeft(TrimControls(id), u'0', 12); }

} // namespace

TConfig::TConfig()
{
    AddDevice(1, QStringLiteral("ЦМ"), QString(), 0, QString(), QString(), QString());
    const TUser admin = TUser::Administrator();
    AddUser(TUser::AdminNumber, admin.Type, admin.Part1, admin.Part2, admin.Pswrd1, admin.Pswrd2);
}

TConfig::~TConfig() { ClearAll(); }

template <typename F> void TConfig::ForEachDevice(F f)
{
    for (int a = 1; a <= MaxAddress; ++a)
        if (FDevices[a])
            f(a, *FDevices[a]);
}

void TConfig::ClearAll()
{
    for (int a = 1; a <= MaxAddress; ++a)
        DeleteDevice(a, true);
    for (int p = 1; p <= MaxPart; ++p)
        DeletePart(p);
    for (auto &u : FUsers)
        u.reset();
}

void TConfig::ClearFlags()
{
    WriteAll = false;
    ForEachDevice([](int, TDevice &d) {
        d.Changed = false;
        d.Deleted = false;
        d.NewNA = 0;
        if (auto *r = d.AsRelayDev())
            for (int n = 1; n <= r->Count(); ++n)
                r->Relay(n)->Changed = false;
        else if (auto *v = d.AsVEKT())
            for (int n = 1; n <= v->Count(); ++n)
                v->Loop(n)->Changed = false;
        else if (auto *i = d.AsIndicDev())
            for (int n = 1; n <= i->Count(); ++n)
                i->Indicator(n)->Changed = false;
    });
    for (auto &p : FParts)
        if (p) {
            p->Changed = false;
            p->Deleted = false;
        }
    for (auto &u : FUsers)
        if (u) {
            u->Changed = false;
            u->Deleted = false;
        }
}

void TConfig::Assign(const TConfig &source)
{
    for (int a = 1; a <= MaxAddress; ++a)
        FDevices[a] = source.FDevices[a] ? source.FDevices[a]->Clone() : nullptr;
    for (int p = 1; p <= MaxPart; ++p)
        FParts[p] = source.FParts[p] ? std::make_unique<TPart>(*source.FParts[p]) : nullptr;
    for (int u = 1; u <= MaxUser; ++u)
        FUsers[u] = source.FUsers[u] ? std::make_unique<TUser>(*source.FUsers[u]) : nullptr;
    WriteAll = source.WriteAll;
}

std::unique_ptr<TConfig> TConfig::Clone() const
{
    auto copy = std::make_unique<TConfig>();
    copy->Assign(*this);
    copy->FQuestion = FQuestion;
    return copy;
}

void TConfig::KeepKeysOf(const TConfig &earlier)
{
    // The keys of earlier that find their object here, then the objects they were taken for.
    QSet<QString> kept;
    QSet<const void *> keeping;
    const auto keep = [&](QString &key, const QString &old, const void *object) {
        const QString k = TrimControls(old);
        if (k.isEmpty() || kept.contains(k))
            return;
        key = old;
        kept.insert(k);
        keeping.insert(object);
    };
    ForEachDevice([&](int, TDevice &d) {
        const int a = earlier.FindDeviceByID(d.ID);
        if (a != 0)
            keep(d.KeyDB, earlier.Device(a)->KeyDB, &d);
    });
    for (int p = 1; p <= MaxPart; ++p)
        if (FParts[p] && earlier.Part(p))
            keep(FParts[p]->KeyDB, earlier.Part(p)->KeyDB, FParts[p].get());
    // A key made up by the read that one of the kept keys now shares is made up afresh.
    const auto refresh = [&](QString &key, const void *object) {
        if (!keeping.contains(object) && kept.contains(TrimControls(key)))
            key = GenerateFreeKeyDB();
    };
    ForEachDevice([&](int, TDevice &d) { refresh(d.KeyDB, &d); });
    for (auto &p : FParts)
        if (p)
            refresh(p->KeyDB, p.get());
}

// ---- devices ----

TDevice *TConfig::Device(int address) { return SlotAt(FDevices, address); }
const TDevice *TConfig::Device(int address) const { return SlotAt(FDevices, address); }

int TConfig::FirstFreeAddress() const { return FirstFree(FDevices); }

std::unique_ptr<TDevice> TConfig::CreateDevice(const QString &type, const QString &id,
                                               std::uint8_t state, const QString &vDev,
                                               const QString &vSoft, const QString &keyDB) const
{
    const QString newID = id.isEmpty() ? GenerateFreeID() : id;
    const QString newKey = keyDB.isEmpty() ? GenerateFreeKeyDB() : keyDB;
    if (newID.isEmpty() || newKey.isEmpty())
        return nullptr;
    return NewDevice(type, newID, newKey, vSoft, vDev, state);
}

bool TConfig::AddDevice(int address, const QString &type, const QString &id, std::uint8_t state,
                        const QString &vDev, const QString &vSoft, const QString &keyDB)
{
    if (address < 1 || address > MaxAddress)
        return false;
    DeleteDevice(address, false);
    if (FDevices[address])
        return false;
    return PutDevice(address, CreateDevice(type, id, state, vDev, vSoft, keyDB));
}

bool TConfig::PutDevice(int address, std::unique_ptr<TDevice> device)
{
    if (address < 1 || address > MaxAddress)
        return false;
    DeleteDevice(address, false);
    if (FDevices[address] || !device)
        return false;
    FDevices[address] = std::move(device);
    return true;
}

int TConfig::ReadDevice(const TFrame &frame)
{
    const int address = frame.Field(7);
    const QString type = KindName(frame.Field(8));
    if (type.isEmpty() || address < 1 || address > MaxAddress)
        return 0;
    // The module's record replaces whatever the slot held, without asking anyone.
    DeleteDevice(address, true);
    std::unique_ptr<TDevice> device =
        CreateDevice(type, QString(), 0, QString(), QString(), QString());
    if (!device)
        return 0;
    device->ReadRecord(frame);
    return PutDevice(address, std::move(device)) ? address : 0;
}

void TConfig::WriteDevice(int address, TFrame &frame) const
{
    if (const TDevice *d = Device(address)) {
        frame.AddByte(static_cast<std::uint8_t>(address));
        d->WriteRecord(frame);
    }
}

bool TConfig::PrepareDelete(int address)
{
    TDevice *device = Device(address);
    if (!device)
        return false;
    TVEKT *panel = device->AsVEKT();
    if (!panel)
        return true;

    // Partitions that only this panel's loops make up go with it.
    QStringList orphans;
    for (int n = 1; n <= panel->Count(); ++n) {
        const std::uint8_t p = panel->Loop(n)->Part;
        const QString number = QString::number(p);
        if (p >= 1 && p <= 254 && !orphans.contains(number) && CountPanelsOfPart(p) < 2)
            orphans.append(number);
    }
    orphans.sort();
    if (!orphans.isEmpty()) {
        const QString text =
            QStringLiteral("Вместе с этим устройством бедет удален(ы) раздел(ы) № ") +
            orphans.join(QStringLiteral(", ")) + QStringLiteral(". Удалить устройство?");
        if (FQuestion == nullptr || !FQuestion->AskYesNo(text, QStringLiteral("Внимание")))
            return false;
        for (const QString &number : std::as_const(orphans))
            UnbindPartition(number.toInt());
    }
    UnbindDeviceRefs(address, true);
    panel->ClearLoopsOfPart(255);
    return true;
}

void TConfig::DeleteDevice(int address, bool force)
{
    if (!Device(address))
        return;
    if (!force && !PrepareDelete(address))
        return;
    FDevices[address].reset();
}

void TConfig::MoveDevice(int from, int to) { MoveSlot(FDevices, from, to); }

int TConfig::DeviceCount() const { return Occupied(FDevices); }

// ---- partitions ----

TPart *TConfig::Part(int number) { return SlotAt(FParts, number); }
const TPart *TConfig::Part(int number) const { return SlotAt(FParts, number); }

int TConfig::FirstFreePart() const { return FirstFree(FParts); }

std::unique_ptr<TPart> TConfig::CreatePart(unsigned delay, const QString &keyDB) const
{
    const QString key = keyDB.isEmpty() ? GenerateFreeKeyDB() : keyDB;
    if (key.isEmpty())
        return nullptr;
    return std::make_unique<TPart>(delay, key);
}

bool TConfig::PutPart(int number, std::unique_ptr<TPart> part)
{
    if (number < 1 || number > MaxPart)
        return false;
    DeletePart(number);
    if (!part)
        return false;
    FParts[number] = std::move(part);
    return true;
}

int TConfig::ReadPart(const TFrame &frame)
{
    const int number = frame.Field(7);
    if (number < 1 || number > MaxPart)
        return 0;
    std::unique_ptr<TPart> part = CreatePart(0, QString());
    if (!part)
        return 0;
    part->ReadRecord(frame);
    return PutPart(number, std::move(part)) ? number : 0;
}

void TConfig::WritePart(int number, TFrame &frame) const
{
    if (const TPart *p = Part(number)) {
        frame.AddByte(static_cast<std::uint8_t>(number));
        p->WriteRecord(frame);
    }
}

void TConfig::UnbindPartition(int number)
{
    TPart *part = Part(number);
    if (!part)
        return;
    const auto p = static_cast<std::uint8_t>(number);
    // When the last partition goes, "any partition" names nothing either.
    const bool last = PartCount() == 1;
    const auto refersTo = [p, last](unsigned ref) { return ref == p || (last && ref == 255); };

    ForEachDevice([&](int address, TDevice &d) {
        if (auto *r = d.AsRelayDev()) {
            r->ClearRelaysOfPart(p);
            if (last)
                r->ClearRelaysOfPart(255);
        } else if (auto *k = d.AsKP()) {
            if (refersTo(k->Part)) {
                k->Part = 0;
                k->Changed = true;
            }
        } else if (auto *v = d.AsVEKT()) {
            v->ClearLoopsOfPart(p);
            if (last)
                v->ClearLoopsOfPart(255);
            UnbindDeviceRefs(address, false);
        } else if (auto *i = d.AsIndicDev()) {
            if (refersTo(i->Part)) {
                i->Part = 0;
                if (!i->IsIndividual())
                    i->Mode = 0;
                i->Changed = true;
            }
            i->ClearIndicatorsOfPart(p);
            if (last)
                i->ClearIndicatorsOfPart(255);
        }
    });

    for (int n = 1; n <= MaxUser; ++n) {
        TUser *u = User(n);
        if (!u || n == TUser::AdminNumber)
            continue;
        // Without a first partition the second is not carried on the wire: a user who loses
        // the first holds no second on the module either, and so not in the model.
        if (refersTo(u->Part1)) {
            u->Part1 = 0;
            u->Part2 = 0;
            u->Changed = true;
        }
        if (refersTo(u->Part2)) {
            u->Part2 = 0;
            u->Changed = true;
        }
    }
    part->MarkDeleted();
}

void TConfig::DeletePart(int number)
{
    if (!Part(number))
        return;
    UnbindPartition(number);
    FParts[number].reset();
}

void TConfig::MovePart(int from, int to) { MoveSlot(FParts, from, to); }

int TConfig::PartCount() const { return Occupied(FParts); }

// ---- users ----

TUser *TConfig::User(int number) { return SlotAt(FUsers, number); }
const TUser *TConfig::User(int number) const { return SlotAt(FUsers, number); }

int TConfig::FirstFreeUser() const { return FirstFree(FUsers); }

std::unique_ptr<TUser> TConfig::CreateUser(unsigned type, unsigned part1, unsigned part2,
                                           const QString &pswrd1, const QString &pswrd2)
{
    return std::make_unique<TUser>(type, part1, part2, pswrd1, pswrd2);
}

bool TConfig::AddUser(int number, unsigned type, unsigned part1, unsigned part2,
                      const QString &pswrd1, const QString &pswrd2)
{
    return PutUser(number, CreateUser(type, part1, part2, pswrd1, pswrd2));
}

bool TConfig::PutUser(int number, std::unique_ptr<TUser> user)
{
    if (number < 1 || number > MaxUser)
        return false;
    FUsers[number] = std::move(user);
    return FUsers[number] != nullptr;
}

int TConfig::ReadUser(const TFrame &frame)
{
    const int number = frame.Field(7);
    if (number < 1 || number > MaxUser)
        return 0;
    auto user = std::make_unique<TUser>(TUser::Default());
    user->ReadRecord(frame);
    return PutUser(number, std::move(user)) ? number : 0;
}

void TConfig::WriteUser(int number, TFrame &frame) const
{
    if (const TUser *u = User(number)) {
        frame.AddByte(static_cast<std::uint8_t>(number));
        u->WriteRecord(frame);
    }
}

void TConfig::DeleteUser(int number)
{
    if (number >= 1 && number <= MaxUser)
        FUsers[number].reset();
}

void TConfig::MoveUser(int from, int to) { MoveSlot(FUsers, from, to); }

int TConfig::UserCount() const { return Occupied(FUsers); }

// ---- identifiers and keys ----

int TConfig::FindDeviceByID(const QString &id) const
{
    if (TrimControls(id).isEmpty())
        return 0;
    const QString wanted = TrimmedID(id);
    for (int a = 1; a <= MaxAddress; ++a)
        if (FDevices[a] && TrimmedID(FDevices[a]->ID) == wanted)
            return a;
    return 0;
}

int TConfig::FindByKeyDB(const QString &key) const
{
    const QString wanted = TrimControls(key);
    if (wanted.isEmpty())
        return 0;
    for (int a = 1; a <= MaxAddress; ++a)
        if (FDevices[a] && TrimControls(FDevices[a]->KeyDB) == wanted)
            return a;
    for (int p = 1; p <= MaxPart; ++p)
        if (FParts[p] && TrimControls(FParts[p]->KeyDB) == wanted)
            return MaxAddress + p;
    return 0;
}

int TConfig::KeyOrIDUsed(const QString &id, const QString &key) const
{
    if (!key.isEmpty() && FindByKeyDB(key) != 0)
        return 2;
    if (!id.isEmpty() && FindDeviceByID(id) != 0)
        return 1;
    return 0;
}

QString TConfig::GenerateFreeID() const
{
    QSet<QString> taken;
    for (const auto &d : FDevices)
        if (d)
            taken.insert(TrimmedID(d->ID));
    // At most 110 identifiers are taken, so the search ends long before the limit.
    for (quint64 v = 1; v <= 0xFFFFFFFFFFFFull; ++v) {
        const QString id = PadLeft(QString::number(v, 16).toUpper(), u'0', 12);
        if (!taken.contains(id))
            return id;
    }
    return QString();
}

QString TConfig::GenerateFreeKeyDB() const
{
    QSet<QString> taken;
    for (const auto &d : FDevices)
        if (d)
            taken.insert(TrimControls(d->KeyDB));
    for (const auto &p : FParts)
        if (p)
            taken.insert(TrimControls(p->KeyDB));
    for (quint64 v = 1; v <= 9999999999999999ull; ++v) {
        const QString key = QString::number(v);
        if (!taken.contains(key))
            return key;
    }
    return QString();
}

// ---- loops and references ----

const TShleif *TConfig::NextLoopOfPart(std::uint8_t p, int &address, int &loop) const
{
    address = std::max(address, 1);
    loop = std::max(loop, 1);
    for (; address <= MaxAddress; ++address, loop = 1) {
        const TDevice *d = Device(address);
        const TVEKT *panel = d ? d->AsVEKT() : nullptr;
        if (!panel)
            continue;
        for (; loop <= panel->Count(); ++loop)
            if (panel->Loop(loop)->Part == p)
                return panel->Loop(loop);
    }
    return nullptr;
}

int TConfig::CountLoopsOfPart(std::uint8_t p) const
{
    int count = 0;
    int address = 1;
    int loop = 1;
    for (; NextLoopOfPart(p, address, loop); ++loop)
        ++count;
    return count;
}

int TConfig::CountPanelsOfPart(std::uint8_t p) const
{
    int count = 0;
    int address = 1;
    int loop = 1;
    // After each hit the search goes on at the next panel.
    for (; NextLoopOfPart(p, address, loop); ++address, loop = 1)
        ++count;
    return count;
}

void TConfig::ClearLoopsOfPartAll(std::uint8_t p)
{
    ForEachDevice([p](int, TDevice &d) {
        if (auto *v = d.AsVEKT())
            v->ClearLoopsOfPart(p);
    });
}

void TConfig::DropLoopRefs(int address, int loop)
{
    const TDevice *d = Device(address);
    const TShleif *l = d && d->AsVEKT() ? d->AsVEKT()->Loop(loop) : nullptr;
    if (l && !l->IsFire() && l->Part == 0)
        ClearLoopRefs(static_cast<std::uint8_t>(address), static_cast<std::uint8_t>(loop));
}

void TConfig::ClearLoopRefs(std::uint8_t address, std::uint8_t loop)
{
    ForEachDevice([address, loop](int, TDevice &d) {
        if (auto *r = d.AsRelayDev())
            r->ClearRelaysOfLoop(address, loop);
        else if (auto *i = d.AsIndicDev())
            i->ClearIndicatorsOfLoop(address, loop);
    });
}

void TConfig::UnbindDeviceRefs(int address, bool whole)
{
    if (address < 1 || address > MaxAddress)
        return;
    const auto a = static_cast<std::uint8_t>(address);
    if (whole) {
        ForEachDevice([a](int, TDevice &d) {
            if (auto *r = d.AsRelayDev())
                r->ClearRelaysOfDevice(a);
            else if (auto *i = d.AsIndicDev())
                i->ClearIndicatorsOfDevice(a);
        });
        return;
    }
    const TDevice *d = Device(address);
    const TVEKT *panel = d ? d->AsVEKT() : nullptr;
    if (!panel)
        return;
    for (int n = 1; n <= panel->Count(); ++n)
        if (panel->Loop(n)->Part == 0)
            ClearLoopRefs(a, static_cast<std::uint8_t>(n));
}

// ---- choice lists ----

int TConfig::FillFreeAddresses(QStringList &list, int current) const
{
    return FillFree(FDevices, list, current);
}

int TConfig::FillFreeParts(QStringList &list, int current) const
{
    return FillFree(FParts, list, current);
}

int TConfig::FillFreeUsers(QStringList &list, int current) const
{
    return FillFree(FUsers, list, current);
}

int TConfig::FillPartChoices(QStringList &list, std::uint8_t current) const
{
    list.clear();
    for (int p = 1; p <= MaxPart; ++p)
        if (FParts[p])
            list.append(Padded(p, 3));
    if (!list.isEmpty())
        list.append(NumToName(255));
    list.append(NumToName(0));
    const QString wanted = current == 0 || current == 255 ? NumToName(current) : Padded(current, 3);
    return static_cast<int>(std::max<qsizetype>(0, list.indexOf(wanted)));
}

QList<TLoopRow> TConfig::FillLoopsOfPart(std::uint8_t p) const
{
    QList<TLoopRow> rows;
    int address = 1;
    int loop = 1;
    for (const TShleif *l; (l = NextLoopOfPart(p, address, loop)) != nullptr; ++loop)
        rows.append({Padded(static_cast<int>(rows.size()) + 1, 2),
                     PairText(address, loop), l->TypeName(),
                     l->DelayText()});
    return rows;
}

// ---- the loop choices of the relay and indicator dialogs, and renumbering ----

namespace {

using TLoopTest = bool (*)(const TShleif &);

bool IsFireLoop(const TShleif &loop) { return loop.IsFire(); }
bool IsBoundLoop(const TShleif &loop) { return loop.Part != 0; }

QStringList LoopsWhere(const TDevice *device, TLoopTest test)
{
    QStringList list;
    const TVEKT *panel = device ? device->AsVEKT() : nullptr;
    for (int n = 1; panel && n <= panel->Count(); ++n)
        if (test(*panel->Loop(n)))
            list.append(Padded(n, 2));
    return list;
}

QStringList PanelsWhere(const TConfig &config, TLoopTest test)
{
    QStringList list;
    for (int a = 1; a <= TConfig::MaxAddress; ++a)
        if (!LoopsWhere(config.Device(a), test).isEmpty())
            list.append(Padded(a, 3));
    return list;
}

// Points a reference that named from to to, and marks its holder changed.
template <typename T> void Repoint(T &reference, bool &changed, int from, int to)
{
    if (static_cast<int>(reference) == from) {
        reference = static_cast<T>(to);
        changed = true;
    }
}

// Re-points a device's relays and indicators: those that name a loop (their Device is a panel
// address) when loopRefs is set, else those that name a partition.
void RepointOutputs(TDevice &device, bool loopRefs, int from, int to)
{
    const auto repoint = [&](auto &output) {
        if (output.PointsToLoop() == loopRefs)
            Repoint(output.Device, output.Changed, from, to);
    };
    if (TRelayDev *relays = device.AsRelayDev())
        for (int n = 1; n <= relays->Count(); ++n)
            repoint(*relays->Relay(n));
    else if (TIndicDev *unit = device.AsIndicDev())
        for (int n = 1; n <= unit->Count(); ++n)
            repoint(*unit->Indicator(n));
}

} // namespace

QStringList TConfig::FirePanels() const { return PanelsWhere(*this, IsFireLoop); }
QStringList TConfig::BoundPanels() const { return PanelsWhere(*this, IsBoundLoop); }
QStringList TConfig::FireLoops(int address) const
{
    return LoopsWhere(Device(address), IsFireLoop);
}
QStringList TConfig::BoundLoops(int address) const
{
    return LoopsWhere(Device(address), IsBoundLoop);
}

bool TConfig::RenumberPart(int from, int to)
{
    if (!Part(from) || to < 1 || to > MaxPart || FParts[to])
        return false;
    MovePart(from, to);
    ForEachDevice([from, to](int, TDevice &d) {
        RepointOutputs(d, false, from, to);
        if (TKP *keypad = d.AsKP())
            Repoint(keypad->Part, keypad->Changed, from, to);
        else if (TIndicDev *unit = d.AsIndicDev())
            Repoint(unit->Part, unit->Changed, from, to);
        else if (TVEKT *panel = d.AsVEKT())
            for (int n = 1; n <= panel->Count(); ++n)
                Repoint(panel->Loop(n)->Part, panel->Loop(n)->Changed, from, to);
    });
    for (auto &user : FUsers)
        if (user) {
            Repoint(user->Part1, user->Changed, from, to);
            Repoint(user->Part2, user->Changed, from, to);
        }
    return true;
}

bool TConfig::RenumberDevice(int from, int to)
{
    if (!Device(from) || to < 1 || to > MaxAddress || FDevices[to])
        return false;
    MoveDevice(from, to);
    RepointDeviceRefs(from, to);
    return true;
}

void TConfig::RepointDeviceRefs(int from, int to)
{
    ForEachDevice([from, to](int, TDevice &d) { RepointOutputs(d, true, from, to); });
}

// ---- records from the module ----

void TConfig::ApplyRecord(const TFrame &frame, TLogSink *log)
{
    const int first = frame.Field(7);
    const QString second = QString::number(frame.Field(8));
    TDevice *device = Device(first);
    switch (frame.ReplyCode()) {
    case 16:
        if (const int a = ReadDevice(frame))
            Log(log, QStringLiteral("  ") + Device(a)->Type + QStringLiteral(" [") +
                         QString::number(a) + QStringLiteral("]: OK"));
        break;
    case 17:
        if (const int n = ReadPart(frame))
            Log(log, QStringLiteral("  Раздел №") + QString::number(n) + QStringLiteral(": OK"));
        break;
    case 18:
        if (const int n = ReadUser(frame))
            Log(log,
                QStringLiteral("  Пользователь №") + QString::number(n) + QStringLiteral(": OK"));
        break;
    case 19:
        if (TVEKT *panel = device ? device->AsVEKT() : nullptr) {
            panel->ReadLoop(frame);
            Log(log, QStringLiteral("    Шлейф №") + second + QStringLiteral(": OK"));
        }
        break;
    case 20:
        if (TIndicDev *unit = device ? device->AsIndicDev() : nullptr) {
            unit->ReadIndicator(frame);
            Log(log, QStringLiteral("    Индикатор №") + second + QStringLiteral(": OK"));
        }
        break;
    case 21:
        if (TRelayDev *relays = device ? device->AsRelayDev() : nullptr) {
            relays->ReadRelay(frame);
            Log(log, QStringLiteral("    Реле №") + second + QStringLiteral(": OK"));
        }
        break;
    case 24:
        if (TPart *part = Part(first)) {
            part->ReadSMS(frame);
            Log(log, QStringLiteral("    СМС №") + second + QStringLiteral(": OK"));
        }
        break;
    default:
        break;
    }
}
