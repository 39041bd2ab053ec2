#include "db/check.h"

#include <algorithm>
#include <cstring>
#include <set>
#include <vector>

#include "db/aux_file.h"
#include "db/cipher_password.h"
#include "db/db_file.h"
#include "db/field.h"
#include "db/format.h"
#include "db/errors.h"
#include "db/paths.h"
#include "db/rollback.h"

namespace db {
namespace {

using Problems = std::vector<std::string>;

std::string Num(std::int64_t n) { return std::to_string(n); }

// Opens one of the files (0 the database, 1 the auxiliary file), through
// the recovered view when there is one.
std::unique_ptr<DbFile> OpenForReading(const std::string& path, int which, RecoveredView* recovered, Problems* problems) {
  std::unique_ptr<platform::File> raw;
  platform::FileError e = platform::OpenFile(path, platform::FileAccess::kRead, platform::share::kReadWrite,
                                             platform::FileDisposition::kOpenExisting, &raw);
  if (e != platform::FileError::kNone) {
    problems->push_back("cannot open " + path + ": " + platform::FileErrorName(e));
    return nullptr;
  }
  if (recovered != nullptr) raw = recovered->Wrap(std::move(raw), which);
  return std::make_unique<DbFile>(std::move(raw));
}

// Every chain and the free list of the auxiliary file; each block may
// belong to one chain or to the free list, and none may be left over.
void CheckAuxiliary(DbFile& aux, double created, const std::vector<std::int32_t>& chain_heads,
                    const std::vector<std::string>& chain_names, Problems* problems) {
  std::uint8_t raw[kAuxHeaderSize];
  std::size_t got = 0;
  if (aux.ReadAt(0, raw, sizeof raw, &got) != 0 || got < sizeof raw) {
    problems->push_back("auxiliary file: header unreadable");
    return;
  }
  AuxHeader h = AuxHeader::Decode(raw);
  if (std::memcmp(h.magic, kAuxMagic, 4) != 0) problems->push_back("auxiliary file: magic is not QVDT");
  if (h.version != kVersion) problems->push_back("auxiliary file: version " + Num(h.version));
  if (h.created != created) problems->push_back("auxiliary file: creation time differs from the database's");
  std::uint64_t size = 0;
  aux.Size(&size);
  std::int64_t present = static_cast<std::int64_t>(size / kBlockSize);
  if (size % kBlockSize != 0) problems->push_back("auxiliary file: length is not a multiple of 512");
  if (h.block_count <= 0 || h.block_count != present)
    problems->push_back("auxiliary file: blockCount " + Num(h.block_count) + " but " + Num(present) + " blocks present");
  if (h.free_count < 0 || h.free_count >= std::max<std::int64_t>(h.block_count, 1))
    problems->push_back("auxiliary file: freeCount " + Num(h.free_count) + " out of range");
  if (h.free_head < 0 || h.free_head >= std::max<std::int64_t>(h.block_count, 1))
    problems->push_back("auxiliary file: freeHead " + Num(h.free_head) + " out of range");
  std::int64_t blocks = std::min<std::int64_t>(present, std::max(h.block_count, 0));
  std::vector<int> owner(static_cast<std::size_t>(std::max<std::int64_t>(blocks, 1)), 0);  // 0 none, 1 chain, 2 free

  auto read_block = [&](std::int32_t b, std::uint8_t* block) {
    std::size_t n = 0;
    return aux.ReadAt(static_cast<std::uint64_t>(b) * kBlockSize, block, kBlockSize, &n) == 0 && n == kBlockSize;
  };
  // Marks block b as a chain's (1) or the free list's (2); false, with the
  // problem noted, when it lies outside the file or is marked already.
  auto claim = [&](std::int32_t b, int as, const std::string& where, const char* taken) {
    if (b < 1 || b >= blocks) {
      problems->push_back(where + ": outside the file");
      return false;
    }
    if (owner[static_cast<std::size_t>(b)] != 0) {
      problems->push_back(where + taken);
      return false;
    }
    owner[static_cast<std::size_t>(b)] = as;
    return true;
  };
  std::uint8_t block[kBlockSize];
  for (std::size_t c = 0; c < chain_heads.size(); ++c) {
    std::int32_t prev = 0;
    for (std::int32_t b = chain_heads[c]; b != 0;) {
      std::string where = chain_names[c] + ", block " + Num(b);
      if (!claim(b, 1, where, ": already used by another chain or the free list")) break;
      if (!read_block(b, block)) {
        problems->push_back(where + ": unreadable");
        break;
      }
      std::int32_t used = GetI32(block + 8);
      if (GetI32(block) != prev) problems->push_back(where + ": prev link is " + Num(GetI32(block)));
      if (used < 1 || used > static_cast<std::int32_t>(kBlockPayload)) problems->push_back(where + ": used " + Num(used));
      prev = b;
      b = GetI32(block + 4);
    }
  }
  std::int64_t free_seen = 0;
  std::int32_t prev = 0;
  for (std::int32_t b = h.free_head; b != 0;) {
    std::string where = "free list, block " + Num(b);
    if (!claim(b, 2, where, ": also used by a chain or listed twice")) break;
    ++free_seen;
    if (!read_block(b, block)) {
      problems->push_back(where + ": unreadable");
      break;
    }
    if (GetI32(block) != prev) problems->push_back(where + ": prev link is " + Num(GetI32(block)));
    if (GetI32(block + 8) != 0) problems->push_back(where + ": used is not 0");
    prev = b;
    b = GetI32(block + 4);
  }
  if (free_seen != h.free_count)
    problems->push_back("auxiliary file: freeCount " + Num(h.free_count) + " but " + Num(free_seen) + " blocks on the free list");
  std::int64_t lost = 0;
  for (std::int64_t b = 1; b < blocks; ++b) lost += owner[static_cast<std::size_t>(b)] == 0;
  if (lost > 0) problems->push_back("auxiliary file: " + Num(lost) + " blocks belong to no chain and are not free");
}

}  // namespace

std::vector<std::string> CheckDatabaseFiles(const std::string& path, const std::function<std::string()>& password_source,
                                            bool* pending_recovery) {
  Problems problems;
  std::shared_ptr<RecoveredView> recovered;
  std::string full_path;
  int code = FromFileError(platform::FullPathName(path, &full_path));
  if (code == 0) code = RecoveredView::Load(full_path, &recovered);
  if (code != 0) {
    problems.push_back("rollback copy " + RollbackPath(path) + " unreadable: " + ErrorText(code));
    return problems;
  }
  if (pending_recovery != nullptr) *pending_recovery = recovered != nullptr;
  auto main = OpenForReading(path, 0, recovered.get(), &problems);
  if (!main) return problems;
  std::uint64_t size = 0;
  main->Size(&size);
  std::uint8_t header[kHeaderSize];
  std::size_t got = 0;
  if (main->ReadAt(0, header, sizeof header, &got) != 0 || got < sizeof header) {
    problems.push_back("header: file shorter than 112 bytes");
    return problems;
  }
  if (std::memcmp(header, kCipheredMagic, 4) == 0) {
    // Enciphered: read everything through the access password given on
    // standard input, once it proves to be this file's.
    const std::string password = password_source ? password_source() : std::string();
    if (password.empty()) {
      problems.push_back("header: the file is enciphered (QCDB); it cannot be checked without its access password");
      return problems;
    }
    main->cipher().Set(MakeCipherState(password));
    if (main->ReadAt(0, header, sizeof header, &got) != 0 || got < sizeof header ||
        !PasswordCheckMatches(header + kPasswordCheckPos, DigestOfPassword(password))) {
      problems.push_back("header: the access password given is not this file's");
      return problems;
    }
  } else if (std::memcmp(header, kPlainMagic, 4) != 0) {
    problems.push_back("header: magic is neither QVDB nor QCDB");
    return problems;
  }
  const HeaderWords words = HeaderWords::Decode(header);
  const std::int32_t version = words.version;
  const std::int32_t count = words.record_count;
  const std::int32_t next_serial = words.next_serial;
  const std::int32_t record_size = words.record_size;
  if (version != kVersion) problems.push_back("header: version " + Num(version));
  if (count < 0) problems.push_back("header: recordCount " + Num(count) + " is negative");
  if (next_serial <= 0) problems.push_back("header: nextSerial " + Num(next_serial) + " is not positive");
  if (record_size <= 0) problems.push_back("header: recordSize " + Num(record_size) + " is not positive");
  // The password check field is zero in a plain file; an enciphered one's
  // was verified above.
  const std::size_t reserved_from =
      std::memcmp(header, kCipheredMagic, 4) == 0 ? kPasswordCheckPos + kPasswordCheckSize : kPasswordCheckPos;
  for (std::size_t i = reserved_from; i < kHeaderSize; ++i)
    if (header[i] != 0) {
      problems.push_back("header: reserved bytes are not zero");
      break;
    }
  std::uint8_t word[4];
  if (main->ReadAt(kFieldCountPos, word, 4, &got) != 0 || got < 4) {
    problems.push_back("definitions: field count missing");
    return problems;
  }
  std::int32_t field_count = GetI32(word);
  std::uint64_t data_start = kFieldDefsPos + static_cast<std::uint64_t>(std::max(field_count, 0)) * kFieldDefSize;
  if (field_count <= 0 || data_start > size) {
    problems.push_back("definitions: field count " + Num(field_count) + " does not fit the file");
    return problems;
  }
  std::vector<std::uint8_t> defs(data_start - kFieldDefsPos);
  main->ReadAt(kFieldDefsPos, defs.data(), defs.size(), &got);
  std::vector<FieldDesc> fields;
  std::int64_t expected_offset = 4;
  bool fields_sound = true;
  for (std::int32_t i = 0; i < field_count; ++i) {
    // The faults that make opening refuse the file, then what a sound file
    // of ours never has.
    const FieldDefinition d = DecodeFieldDefinition(&defs[static_cast<std::size_t>(i) * kFieldDefSize], record_size);
    const FieldDesc& f = d.field;
    std::string where = "field " + Num(i + 1);
    if (!d.name_terminated) {
      problems.push_back(where + ": name has no terminator");
      fields_sound = false;
      continue;
    }
    where += " (" + std::string(f.name) + ")";
    if (!IsValidName(f.name)) problems.push_back(where + ": invalid name");
    if (!d.known_type) {
      problems.push_back(where + ": type " + Num(f.type));
      fields_sound = false;
      continue;
    }
    if (f.type == ftype::kText && (!d.text_size_positive || f.text_size > kMaxTextSize)) {
      problems.push_back(where + ": text size " + Num(f.text_size));
      fields_sound = fields_sound && d.text_size_positive;
    }
    if (f.type != ftype::kText && d.stored_text_size != 0)
      problems.push_back(where + ": text size set for a non-text field");
    if (f.offset != expected_offset) problems.push_back(where + ": offset " + Num(f.offset) + ", expected " + Num(expected_offset));
    if (!d.inside_record) {
      problems.push_back(where + ": lies outside the record");
      fields_sound = false;
    }
    expected_offset += std::max(f.stored_size(), 0);
    for (const FieldDesc& other : fields)
      if (NamesEqual(other.name, f.name)) problems.push_back(where + ": duplicate name");
    fields.push_back(f);
  }
  if (expected_offset != record_size)
    problems.push_back("header: recordSize " + Num(record_size) + ", fields need " + Num(expected_offset));
  if (record_size <= 0 || count < 0) return problems;

  std::uint64_t present = (size - data_start) / static_cast<std::uint64_t>(record_size);
  std::uint64_t exact = data_start + static_cast<std::uint64_t>(count) * static_cast<std::uint64_t>(record_size);
  if (present < static_cast<std::uint64_t>(count))
    problems.push_back("records: recordCount " + Num(count) + " but " + Num(static_cast<std::int64_t>(present)) + " present");
  else if (size != exact)
    problems.push_back("records: " + Num(static_cast<std::int64_t>(size - exact)) + " bytes after the last record");

  std::int64_t readable = std::min<std::int64_t>(count, static_cast<std::int64_t>(present));
  std::set<std::int32_t> serials;
  std::vector<std::int32_t> chain_heads;
  std::vector<std::string> chain_names;
  // Sized only when a record is there to read: a damaged header may claim
  // records of gigabytes in a file of a few hundred bytes.
  std::vector<std::uint8_t> record(readable > 0 ? static_cast<std::size_t>(record_size) : 0);
  for (std::int64_t r = 0; r < readable; ++r) {
    std::uint64_t pos = data_start + static_cast<std::uint64_t>(r) * static_cast<std::uint64_t>(record_size);
    if (main->ReadAt(pos, record.data(), record.size(), &got) != 0 || got < record.size()) {
      problems.push_back("record " + Num(r + 1) + ": unreadable");
      break;
    }
    std::int32_t status = GetI32(record.data());
    // INT32_MIN has no positive serial; it is as damaged as 0.
    if (status == 0 || status == INT32_MIN) {
      problems.push_back("record " + Num(r + 1) + ": status " + Num(status));
      continue;
    }
    std::int32_t serial = status < 0 ? -status : status;
    if (serial >= next_serial) problems.push_back("record " + Num(r + 1) + ": serial " + Num(serial) + " not below nextSerial");
    if (!serials.insert(serial).second) problems.push_back("record " + Num(r + 1) + ": serial " + Num(serial) + " used twice");
    if (!fields_sound) continue;
    for (const FieldDesc& f : fields) {
      if (!f.is_large()) continue;
      std::int32_t head = GetI32(&record[static_cast<std::size_t>(f.offset)]);
      if (head == 0) continue;
      chain_heads.push_back(head);
      chain_names.push_back("record " + Num(r + 1) + " field " + f.name);
    }
  }

  bool needs_aux = false;
  for (const FieldDesc& f : fields) needs_aux = needs_aux || f.is_large();
  if (needs_aux) {
    auto aux = OpenForReading(WithExtension(path, "VDT"), 1, recovered.get(), &problems);
    if (aux) aux->cipher().Set(main->cipher().reading());
    if (aux) CheckAuxiliary(*aux, GetF64(header + kCreatedPos), chain_heads, chain_names, &problems);
  }
  return problems;
}

}  // namespace db
