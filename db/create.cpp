// Creating a database's files from a validated field list.
#include <cstring>

#include "db/aux_file.h"
#include "db/engine.h"
#include "db/errors.h"
#include "db/format.h"
#include "db/paths.h"
#include "db/rollback.h"
#include "platform/civil_date.h"
#include "platform/host.h"

namespace db {

double LocalNowAsDateTime() {
  // The host's clock, so a simulated desktop decides the time too.
  platform::LocalTime local = platform::CurrentHost().LocalNow();
  std::int64_t days =
      platform::DaysFromCivil(local.year, static_cast<unsigned>(local.month), static_cast<unsigned>(local.day)) +
      platform::kDaysFrom1899To1970;
  int seconds = local.hour * 3600 + local.minute * 60 + local.second;
  return static_cast<double>(days) + seconds / 86400.0;
}

int CreateDatabaseFile(const std::string& path, const std::vector<FieldSpec>& field_specs) {
  if (path.empty()) return err::kFileNotFound;
  std::vector<FieldDesc> fields;
  std::int32_t record_size = 0;
  int code = LayOutFields(field_specs, &fields, &record_size);
  if (code != 0) return code;
  std::string file_path = WithDefaultExtension(path);
  double created = LocalNowAsDateTime();

  std::vector<std::uint8_t> image(kFieldDefsPos + kFieldDefSize * fields.size(), 0);
  std::memcpy(image.data(), kPlainMagic, 4);
  PutI32(&image[kVersionPos], kVersion);
  PutF64(&image[kCreatedPos], created);
  PutI32(&image[kRecordCountPos], 0);
  PutI32(&image[kNextSerialPos], 1);
  PutI32(&image[kRecordSizePos], record_size);
  PutI32(&image[kFieldCountPos], static_cast<std::int32_t>(fields.size()));
  bool needs_aux = false;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    std::uint8_t* def = &image[kFieldDefsPos + i * kFieldDefSize];
    std::memcpy(def, fields[i].name, kFieldNameArea);
    PutI32(def + kDefTypePos, fields[i].type);
    PutI32(def + kDefOffsetPos, fields[i].offset);
    PutI32(def + kDefTextSizePos, fields[i].text_size);
    needs_aux = needs_aux || fields[i].is_large();
  }

  {
    std::unique_ptr<platform::File> raw;
    platform::FileError e = platform::OpenFile(file_path, platform::FileAccess::kReadWrite, platform::share::kNone,
                                               platform::FileDisposition::kCreateAlways, &raw);
    // Refused while another open holds the file: its rollback copy (a change
    // of that process, or one cut short that its next open turns back) is
    // left alone.
    if (e != platform::FileError::kNone) return FromFileError(e);
    auto file = std::make_unique<DbFile>(std::move(raw));
    // The file is ours alone now; a rollback copy of an earlier database of
    // this name would be applied to the new one at its first open.
    const std::string stale_copy = RollbackPath(file_path);
    int code = 0;
    if (platform::QueryPath(stale_copy) == platform::PathKind::kFile) code = FromFileError(platform::RemoveFile(stale_copy));
    if (code == 0 && (file->WriteAt(0, image.data(), image.size()) != 0 || file->Flush() != 0)) code = err::kCreateFailed;
    if (code != 0) {
      // A half-written file would be taken for a damaged database.
      file.reset();
      platform::RemoveFile(file_path);
      return code;
    }
  }
  if (!needs_aux) return 0;

  const std::string aux_path = WithExtension(file_path, "VDT");
  std::unique_ptr<platform::File> raw;
  platform::FileError e = platform::OpenFile(aux_path, platform::FileAccess::kReadWrite, platform::share::kNone,
                                             platform::FileDisposition::kCreateAlways, &raw);
  if (e != platform::FileError::kNone) return err::kAuxCreateFailed;
  auto aux = std::make_unique<DbFile>(std::move(raw));
  std::uint8_t block[kBlockSize] = {};
  AuxHeader header;
  header.version = kVersion;
  header.created = created;
  header.Encode(block);
  if (aux->WriteAt(0, block, sizeof block) != 0 || aux->Flush() != 0) {
    aux.reset();
    platform::RemoveFile(aux_path);
    return err::kAuxCreateFailed;
  }
  return 0;
}

}  // namespace db
