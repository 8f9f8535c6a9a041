#pragma once

#include "model/uDevice.h"
#include "model/uPart.h"
#include "model/uUser.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <memory>

class TFrame;
class TLogSink;
class TQuestion;

// One row of a partition's loop list: running number, "address/loop", type name, delay.
struct TLoopRow {
    QString Caption;
    QString Pair;
    QString TypeName;
    QString Delay;

    bool operator==(const TLoopRow &) const = default;
};

// The in-memory configuration of one alarm network. It owns every device (slots 1..110 by
// network address), partition (1..127) and user (1..255), keeps identifiers and database keys
// unique, and carries out the cascades that keep references consistent. Numbers and addresses
// outside their ranges are ignored by every operation.
class TConfig {
public:
    static constexpr int MaxAddress = 110;
    static constexpr int MaxPart = 127;
    static constexpr int MaxUser = 255;

    // The module at address 1 and the administrator, user 111.
    TConfig();
    TConfig(const TConfig &) = delete;
    TConfig &operator=(const TConfig &) = delete;
    ~TConfig();

    bool WriteAll = false;

    // Where PrepareDelete asks its question; without one the answer is No.
    void SetQuestion(TQuestion *question) { FQuestion = question; }

    void ClearAll();
    void ClearFlags();

    // A deep copy of every device, partition and user and of WriteAll; the question stays.
    void Assign(const TConfig &source);
    std::unique_ptr<TConfig> Clone() const;
    // Takes over what only the editor and its file keep, not the module: the database keys of
    // the devices (matched by identifier) and of the partitions (by number) of earlier, as after
    // this configuration was read from the module. A key that another object already holds is
    // left; an object whose read key clashes with a taken one gets a free key.
    void KeepKeysOf(const TConfig &earlier);

    // ---- devices ----
    TDevice *Device(int address);
    const TDevice *Device(int address) const;
    int FirstFreeAddress() const;
    std::unique_ptr<TDevice> CreateDevice(const QString &type, const QString &id,
                                          std::uint8_t state, const QString &vDev,
                                          const QString &vSoft, const QString &keyDB) const;
    static std::unique_ptr<TDevice> CloneDevice(const TDevice &device) { return device.Clone(); }
    bool AddDevice(int address, const QString &type, const QString &id, std::uint8_t state,
                   const QString &vDev, const QString &vSoft, const QString &keyDB);
    bool PutDevice(int address, std::unique_ptr<TDevice> device);
    // Takes an identification record; the address it stored the device at, or 0.
    int ReadDevice(const TFrame &frame);
    void WriteDevice(int address, TFrame &frame) const;
    bool PrepareDelete(int address);
    void DeleteDevice(int address, bool force);
    // Moves a device to an empty address; an occupied target is left alone.
    void MoveDevice(int from, int to);
    int DeviceCount() const;

    // ---- partitions ----
    TPart *Part(int number);
    const TPart *Part(int number) const;
    int FirstFreePart() const;
    std::unique_ptr<TPart> CreatePart(unsigned delay, const QString &keyDB) const;
    bool PutPart(int number, std::unique_ptr<TPart> part);
    int ReadPart(const TFrame &frame);
    void WritePart(int number, TFrame &frame) const;
    void UnbindPartition(int number);
    void DeletePart(int number);
    void MovePart(int from, int to);
    int PartCount() const;

    // ---- users ----
    TUser *User(int number);
    const TUser *User(int number) const;
    int FirstFreeUser() const;
    static std::unique_ptr<TUser> CreateUser(unsigned type, unsigned part1, unsigned part2,
                                             const QString &pswrd1, const QString &pswrd2);
    bool AddUser(int number, unsigned type, unsigned part1, unsigned part2, const QString &pswrd1,
                 const QString &pswrd2);
    bool PutUser(int number, std::unique_ptr<TUser> user);
    int ReadUser(const TFrame &frame);
    void WriteUser(int number, TFrame &frame) const;
    void DeleteUser(int number);
    void MoveUser(int from, int to);
    int UserCount() const;

    // ---- identifiers and keys ----
    int FindDeviceByID(const QString &id) const;
    // A device's address (1..110), or 110 + a partition's number (111..237), or 0.
    int FindByKeyDB(const QString &key) const;
    // 2 when the key is taken, else 1 when the identifier is taken, else 0.
    int KeyOrIDUsed(const QString &id, const QString &key) const;
    QString GenerateFreeID() const;
    QString GenerateFreeKeyDB() const;

    // ---- loops and references ----
    // The next loop of partition p at or after (address, loop), in address and loop order;
    // address and loop are left pointing at it. Null at the end.
    const TShleif *NextLoopOfPart(std::uint8_t p, int &address, int &loop) const;
    int CountLoopsOfPart(std::uint8_t p) const;
    int CountPanelsOfPart(std::uint8_t p) const;
    void ClearLoopsOfPartAll(std::uint8_t p);
    void DropLoopRefs(int address, int loop);
    void UnbindDeviceRefs(int address, bool whole);

    // ---- choice lists: fill a list for a sorted combo box, give the index to select ----
    int FillFreeAddresses(QStringList &list, int current) const;
    int FillFreeParts(QStringList &list, int current) const;
    int FillFreeUsers(QStringList &list, int current) const;
    int FillPartChoices(QStringList &list, std::uint8_t current) const;
    QList<TLoopRow> FillLoopsOfPart(std::uint8_t p) const;

    // ---- the loop choices of the relay and indicator dialogs, and renumbering ----
    // Control panels with a fire loop, and with a loop bound to a partition: their addresses
    // padded with blanks to 3, ascending.
    QStringList FirePanels() const;
    QStringList BoundPanels() const;
    // The fire loops, and the bound loops, of the panel at an address (none for any other
    // device): loop numbers padded with blanks to 2, ascending.
    QStringList FireLoops(int address) const;
    QStringList BoundLoops(int address) const;
    // Moves partition from to the free number to, and every reference with it: loops, relays
    // and indicators of partitions, keypads, indication units and users follow, and each one
    // re-pointed is marked changed. False, with nothing changed, when from is no partition or
    // to is not a free number.
    bool RenumberPart(int from, int to);
    // Moves the device at from to the free address to; the "АСПТ" relays and loop-state
    // indicators that named from follow and are marked changed. False, with nothing changed,
    // when from is empty or to is not a free address.
    bool RenumberDevice(int from, int to);
    // The "АСПТ" relays and loop-state indicators that name the panel at from name to instead,
    // each marked changed; the panel itself stays where it is.
    void RepointDeviceRefs(int from, int to);

    // ---- records from the module ----
    // Takes one record of a read stream by its code, logging what it took.
    void ApplyRecord(const TFrame &frame, TLogSink *log);

private:
    // Calls f(address, device) for every device in address order.
    template <typename F> void ForEachDevice(F f);
    // Clears every "АСПТ" relay and loop-state indicator that points to this loop.
    void ClearLoopRefs(std::uint8_t address, std::uint8_t loop);

    std::array<std::unique_ptr<TDevice>, MaxAddress + 1> FDevices;
    std::array<std::unique_ptr<TPart>, MaxPart + 1> FParts;
    std::array<std::unique_ptr<TUser>, MaxUser + 1> FUsers;
    TQuestion *FQuestion = nullptr;
};
