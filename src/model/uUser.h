#pragma once

#include <QString>

#include <array>
#include <cstdint>

class TFrame;

inline constexpr std::array<const char16_t *, 3> UserTypeNames{u"Пользователь", u"Техник",
                                                               u"Администратор"};

// A person who operates one main and one additional partition with numeric passwords; the
// user's number is its slot in the configuration.
class TUser {
public:
    static constexpr unsigned TypeAdmin = 2;
    static constexpr int AdminNumber = 111;
    // The passwords of every new user.
    static constexpr const char16_t *DefaultPswrd1 = u"8522";
    static constexpr const char16_t *DefaultPswrd2 = u"9603";

    TUser(unsigned type, unsigned part1, unsigned part2, const QString &pswrd1,
          const QString &pswrd2);
    explicit TUser(const TUser &source);
    TUser &operator=(const TUser &) = delete;

    // A user as the editor adds it and as a record or a row is read into.
    static TUser Default();
    // The built-in administrator, user 111.
    static TUser Administrator();

    unsigned Type = 0;  // UserTypeNames
    unsigned Part1 = 0; // main partition, a partition reference
    unsigned Part2 = 0; // additional partition; meaningful while Part1 names one partition
    QString Pswrd1;     // main password
    QString Pswrd2;     // silent-alarm password
    bool Changed = false;
    bool Deleted = false;

    void Assign(const TUser &source);
    void MarkDeleted();
    QString TypeName() const;
    QString Part1Text() const;
    QString Part2Text() const;
    // Whether Part1 names one partition, so that Part2 counts.
    bool HasPart2() const { return Part1 != 0 && Part1 != 255; }

    // The user record from field 8 on.
    void ReadRecord(const TFrame &frame);
    void WriteRecord(TFrame &frame) const;
};

// A password on the wire: its decimal value in 28 bits and its number of digits in the high
// nibble of the fourth byte, so that leading zeros survive. A text that is not a number
// travels as the value 0 with its length.
std::array<std::uint8_t, 4> EncodePassword(const QString &password);
QString DecodePassword(const std::array<std::uint8_t, 4> &bytes);
