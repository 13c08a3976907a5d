// Disk images made here without mounting anything (sfdisk, mkfs.fat and mtools on an
// image file): every mail file on them is found with its path, whether it was
// deleted, and where its bytes lie, so that a fragmented file reads whole again.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>

#include "disk/disk_map.h"
#include "disk/file_source.h"
#include "disk/image_stores.h"
#include "engine/dbx_recovery_engine.h"
#include "platform/digests.h"
#include "platform/evidence.h"
#include "tests/cli_run.h"
#include "tests/fat_image.h"
#include "tests/folder_builder.h"
#include "tests/recording_reporter.h"
#include "tests/scanned_folder.h"
#include "tests/store_builder.h"
#include "tests/temp_dir.h"

namespace rescuva::disk {
namespace {

using testing::ReadFileBytes;

constexpr const char* kIdentity =
    "/Documents and Settings/alice/Local Settings/Application Data/Identities/"
    "{3C1A5E00-1111-2222-3333-444455556666}/Microsoft/Outlook Express";

class DiskTest : public ::testing::Test {
 protected:
  DiskTest() : image_(dir_.Path() + "/disk.img") {
    const std::string store = dir_.Path() + "/store";
    std::filesystem::create_directory(store);
    testing::WriteFolderList(store + "/Folders.dbx", {{4, 1, "Inbox", "Inbox.dbx", 1}});
    std::vector<bench::GeneratedMessage> mail;
    for (int i = 0; i < 40; ++i)
      mail.push_back(testing::StoreMail("letter " + std::to_string(i), ""));
    testing::WriteMailFile(store + "/Inbox.dbx", mail);
    folder_list_ = store + "/Folders.dbx";
    inbox_ = store + "/Inbox.dbx";
  }

  // The image: a partition table with one partition of `type`, 1 MiB in, holding the
  // file system made in the file `part`.
  void Partition(const std::string& part, const std::string& type) {
    const uint64_t size = std::filesystem::file_size(part);
    testing::Shell("truncate -s " + std::to_string(size + (2 << 20)) + " '" + image_ + "'");
    testing::Shell("printf 'label: dos\\nstart=2048, size=" + std::to_string(size / 512) +
                   ", type=" + type + "\\n' | sfdisk -q '" + image_ + "'");
    testing::Shell("dd if='" + part + "' of='" + image_ + "' bs=1M seek=1 conv=notrunc");
  }
  // The folders of the JSON listing of `source`, with their message counts.
  std::map<std::string, int> ListedFolders(const std::string& source) {
    const auto r = testing::RunCli(dir_.Path(), "--quiet --json '" + source + "'");
    EXPECT_EQ(r.code, 0) << r.err;
    std::map<std::string, int> folders;
    for (size_t at = r.out.find("\"folder\": \""); at != std::string::npos;
         at = r.out.find("\"folder\": \"", at + 1)) {
      const size_t from = at + 11;
      ++folders[r.out.substr(from, r.out.find('"', from) - from)];
    }
    return folders;
  }
  testing::TempDir dir_;
  std::string image_;
  std::string folder_list_;
  std::string inbox_;
  std::atomic<bool> stop_{false};
};

TEST_F(DiskTest, FatStoresLiveDeletedAndFragmentedAreFoundWhole) {
  const testing::FatImage fat(image_);
  fat.MakeFolders(kIdentity);
  fat.Copy(folder_list_, std::string(kIdentity) + "/Folders.dbx");
  // the inbox lands in the hole a deleted filler left, and goes on behind the next one
  ASSERT_GT(std::filesystem::file_size(inbox_), 16000u);
  std::ofstream(dir_.Path() + "/filler") << std::string(8000, 'f');
  fat.Copy(dir_.Path() + "/filler", "/filler1");
  fat.Copy(dir_.Path() + "/filler", "/filler2");
  fat.Delete("/filler1");
  fat.ForgetNextFreeHint();
  fat.Copy(inbox_, std::string(kIdentity) + "/Inbox.dbx");
  fat.MakeFolders("/Documents and Settings/bob");
  fat.Copy(folder_list_, "/Documents and Settings/bob/Folders.dbx");
  fat.Delete("/Documents and Settings/bob/Folders.dbx");

  platform::Evidence evidence = platform::OpenEvidence(image_);
  ASSERT_TRUE(evidence.source);
  const DiskMap map = MapDisk(*evidence.source, stop_);
  ASSERT_EQ(map.volumes.size(), 1u);
  EXPECT_EQ(map.volumes[0].offset, 1u << 20);
  EXPECT_EQ(map.volumes[0].file_system, "fat32");
  std::map<std::string, const DiskFile*> found;
  for (const DiskFile& file : map.mail_files) found[file.path] = &file;
  ASSERT_EQ(found.size(), 3u);
  const DiskFile* inbox = found[std::string(kIdentity) + "/Inbox.dbx"];
  ASSERT_NE(inbox, nullptr);
  EXPECT_FALSE(inbox->deleted);
  EXPECT_GE(inbox->extents.size(), 2u);  // fragmented
  const auto bytes = ReadFileBytes(inbox_);
  std::vector<uint8_t> read(bytes.size());
  ASSERT_TRUE(FileSource(*evidence.source, *inbox).ReadAt(0, read));
  EXPECT_EQ(read, bytes);
  // bob's folder list was deleted; FAT keeps where it began, and nothing took it since
  const auto gone = std::find_if(map.mail_files.begin(), map.mail_files.end(),
                                 [](const DiskFile& f) { return f.deleted; });
  ASSERT_NE(gone, map.mail_files.end());
  EXPECT_NE(gone->path.find("/Documents and Settings/bob/"), std::string::npos) << gone->path;
  EXPECT_FALSE(gone->reallocated);
  const auto list = ReadFileBytes(folder_list_);
  read.assign(list.size(), 0);
  ASSERT_TRUE(FileSource(*evidence.source, *gone).ReadAt(0, read));
  EXPECT_EQ(read, list);
}

// rescuva-cli on the whole image: each store under its volume and place, the deleted one
// under "Deleted", a folder file written into free space under "Carved", nothing twice,
// and every message's positions are places in the image that give its bytes.
TEST_F(DiskTest, TheCliListsEveryStoreAndCarvesTheRest) {
  const testing::FatImage fat(image_);
  fat.MakeFolders(kIdentity);
  fat.Copy(folder_list_, std::string(kIdentity) + "/Folders.dbx");
  fat.Copy(inbox_, std::string(kIdentity) + "/Inbox.dbx");
  fat.MakeFolders("/Documents and Settings/bob");
  fat.Copy(inbox_, "/Documents and Settings/bob/Old.dbx");
  fat.Delete("/Documents and Settings/bob/Old.dbx");
  const auto sample = ReadFileBytes(testing::SamplePath());
  {
    std::fstream image(image_, std::ios::binary | std::ios::in | std::ios::out);
    image.seekp(60 << 20);
    image.write(reinterpret_cast<const char*>(sample.data()),
                static_cast<std::streamsize>(sample.size()));
  }
  const auto r = testing::RunCli(dir_.Path(), "--quiet --json '" + image_ + "'");
  ASSERT_EQ(r.code, 0) << r.err;
  std::map<std::string, int> folders;
  const auto image = ReadFileBytes(image_);
  for (size_t at = 0; at < r.out.size();) {
    const size_t end = r.out.find('\n', at);
    const std::string line = r.out.substr(at, end - at);
    at = end + 1;
    const size_t f = line.find("\"folder\": \"") + 11;
    ++folders[line.substr(f, line.find('"', f) - f)];
    if (line.find("\"mends\"") != std::string::npos) continue;
    // the runs read from the image give the message's digest
    platform::Hasher hash(platform::HashKind::kSha256);
    for (size_t p = line.find("{\"at\": "); p != std::string::npos;
         p = line.find("{\"at\": ", p + 1)) {
      uint64_t position = 0, offset = 0, length = 0;
      ASSERT_EQ(std::sscanf(line.c_str() + p, "{\"at\": %lu, \"offset\": %lu, \"length\": %lu",
                            &position, &offset, &length),
                3);
      hash.Update(std::span(image).subspan(position, length));
    }
    EXPECT_NE(line.find("\"sha256\": \"" + hash.HexDigest() + "\""), std::string::npos) << line;
  }
  const std::string alice =
      "Volume 1 (FAT32)/alice, identity {3C1A5E00-1111-2222-3333-444455556666}/Inbox";
  EXPECT_EQ(folders[alice], 40) << r.out;
  int deleted = 0;
  for (const auto& [folder, count] : folders) {
    if (folder.starts_with("Volume 1 (FAT32)/Deleted/\\\\Documents and Settings\\\\bob"))
      deleted += count;
  }
  EXPECT_EQ(deleted, 40) << r.out;
  EXPECT_EQ(folders["Carved"], 7) << r.out;  // the sample, and nothing a file gave
  EXPECT_EQ(folders.size(), 3u) << r.out;
}

// NTFS (ntfscp writes into the root) and ext4 (made from a folder tree): each store is
// listed under its volume; the FAT image as EWF lists what the raw image lists.
TEST_F(DiskTest, NtfsExt4AndEwfImagesListTheirStores) {
  const std::string part = dir_.Path() + "/part.img";
  testing::Shell("truncate -s 39M '" + part + "'");
  testing::Shell("mkntfs -F -Q '" + part + "'");
  testing::Shell("ntfscp '" + part + "' '" + inbox_ + "' Inbox.dbx");
  Partition(part, "7");
  auto folders = ListedFolders(image_);
  EXPECT_EQ(folders["Volume 1 (NTFS)/\\\\/Inbox"], 40) << ::testing::PrintToString(folders);

  const std::string tree = dir_.Path() +
                           "/tree/Documents and Settings/carol/Application Data/"
                           "Identities/{77}/Microsoft/Outlook Express";
  std::filesystem::create_directories(tree);
  std::filesystem::copy_file(folder_list_, tree + "/Folders.dbx");
  std::filesystem::copy_file(inbox_, tree + "/Inbox.dbx");
  std::filesystem::remove(part);
  testing::Shell("mke2fs -q -t ext4 -d '" + dir_.Path() + "/tree' '" + part + "' 16M");
  // a bare file system is the whole image's one volume
  EXPECT_EQ(ListedFolders(part)["Volume 1 (EXT4)/carol, identity {77}/Inbox"], 40);
  Partition(part, "83");
  folders = ListedFolders(image_);
  EXPECT_EQ(folders["Volume 1 (EXT4)/carol, identity {77}/Inbox"], 40)
      << ::testing::PrintToString(folders);

  const testing::FatImage fat(image_);
  fat.MakeFolders(kIdentity);
  fat.Copy(folder_list_, std::string(kIdentity) + "/Folders.dbx");
  fat.Copy(inbox_, std::string(kIdentity) + "/Inbox.dbx");
  const auto raw = ListedFolders(image_);
  EXPECT_EQ(raw.at("Volume 1 (FAT32)/alice, identity {3C1A5E00-1111-2222-3333-444455556666}/Inbox"),
            40);
  testing::Shell("ewfacquire -u -q -c none -S 20MiB -t '" + dir_.Path() + "/disk' '" + image_ +
                 "'");
  EXPECT_EQ(ListedFolders(dir_.Path() + "/disk.E01"), raw);
}

// The report of an image names each mail file with its path, inode and places in the
// image, and each message with its file's state; it validates.
TEST_F(DiskTest, TheReportOfAnImageNamesFilesAndTheirPlaces) {
  const testing::FatImage fat(image_);
  fat.MakeFolders("/Documents and Settings/bob");
  fat.Copy(inbox_, "/Documents and Settings/bob/Old.dbx");
  fat.Delete("/Documents and Settings/bob/Old.dbx");
  const auto r = testing::RunCli(dir_.Path(),
                                 "--quiet --report '" + dir_.Path() + "/report' '" + image_ + "'");
  ASSERT_EQ(r.code, 0) << r.err;
  const std::string schema =
      std::string(std::getenv("RESCUVA_SOURCE")) + "/tests/schemas/dfxml/dfxml.xsd";
  testing::Shell("xmllint --noout --schema '" + schema + "' '" + dir_.Path() +
                 "/report/report.dfxml'");
  const std::string xml = testing::ReadFileText(dir_.Path() + "/report/report.dfxml");
  EXPECT_NE(xml.find("<filename>/Documents and Settings/bob/"), std::string::npos);
  EXPECT_NE(xml.find("<alloc>0</alloc>\n      <inode>"), std::string::npos);
  EXPECT_NE(xml.find("<r:file_state>deleted</r:file_state>"), std::string::npos);
  EXPECT_EQ(xml.find("/image-1/"), std::string::npos);  // no scratch copy is named
  const std::string csv = testing::ReadFileText(dir_.Path() + "/report/messages.csv");
  EXPECT_NE(csv.find(",\"deleted\","), std::string::npos);
}

// An Outlook Express 4 store where version 4 kept it, and a second partition whose
// bytes are no file system The Sleuth Kit reads: the store is listed, the partition noted.
TEST_F(DiskTest, AnOe4StoreIsListedAndAnUnknownVolumeNoted) {
  const std::string oe4 = dir_.Path() + "/oe4";
  std::filesystem::create_directory(oe4);
  testing::WriteOe4Folder(oe4, "Inbox",
                          {{testing::StoreMail("kept", "k@x").text},
                           {testing::StoreMail("deleted", "d@x").text, true, true}});
  testing::WriteOe4FolderList(oe4 + "/folders.nch", {{"Inbox", "Inbox.mbx"}});
  const testing::FatImage fat(image_);
  const std::string mail = "/Program Files/Outlook Express/Mail";
  fat.MakeFolders(mail);
  for (const char* name : {"Inbox.mbx", "Inbox.idx", "folders.nch"}) {
    fat.Copy(oe4 + "/" + name, mail + "/" + name);
  }
  // a second partition of random bytes behind the first
  testing::Shell("truncate -s 100M '" + image_ + "'");
  testing::Shell(
      "printf 'label: dos\\nstart=2048, size=161792, type=c\\nstart=165888, type=83\\n' | "
      "sfdisk -q '" +
      image_ + "'");
  testing::Shell("head -c 8000000 /dev/urandom | dd of='" + image_ +
                 "' bs=1M seek=81 conv=notrunc");
  const auto r = testing::RunCli(dir_.Path(), "--quiet --json '" + image_ + "'");
  ASSERT_EQ(r.code, 0) << r.err;
  const std::string folder =
      "\"folder\": \"Volume 1 (FAT32)/\\\\Program Files\\\\Outlook Express\\\\Mail/Inbox\"";
  EXPECT_NE(r.out.find("\"subject\": \"kept\""), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\"status\": \"Deleted\""), std::string::npos) << r.out;
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 2) << r.out;
  EXPECT_NE(r.out.find(folder), r.out.rfind(folder)) << r.out;  // both in the store's Inbox
  EXPECT_NE(r.err.find("volume 2 (Linux (0x83)): no file system The Sleuth Kit reads"),
            std::string::npos)
      << r.err;
}

// A deleted file some of whose blocks another file took is copied up to them: the
// messages that lay in what is left come back, those reaching into the lost part cut.
TEST_F(DiskTest, ADeletedFilePartlyTakenIsReadAsFarAsItGoes) {
  const std::string sample = testing::SamplePath();
  const uint64_t size = std::filesystem::file_size(sample);
  platform::Evidence evidence = platform::OpenEvidence(sample);  // the sample as the image
  ASSERT_TRUE(evidence.source);
  DiskMap map;
  map.volumes.push_back({0, size, "whole image", "fat32"});
  DiskFile file;
  file.path = "/Documents and Settings/bob/Inbox.dbx";
  file.deleted = file.reallocated = true;
  file.reallocated_from = 16384;
  file.size = size;
  file.extents = {{0, 0, size}};
  map.mail_files.push_back(file);
  std::filesystem::create_directory(dir_.Path() + "/scratch");
  const ImageStores stores =
      ReadImageStores(*evidence.source, map, dir_.Path() + "/scratch/", stop_);
  ASSERT_EQ(stores.files.size(), 1u);
  EXPECT_EQ(std::filesystem::file_size(stores.files[0].copy), 16384u);
  testing::RecordingReporter reporter;
  engine::DbxRecoveryEngine engine(reporter, dir_.Path() + "/scratch/");
  engine.Run(stores.files[0].copy);
  size_t whole = 0, cut = 0;
  for (const auto& message : reporter.messages)
    ++(message.end == engine::ChainEnd::kWhole ? whole : cut);
  EXPECT_GT(whole, 0u);
  EXPECT_GT(cut, 0u);
  // the store's folder says where the file lay and that it was deleted
  const auto folder =
      std::find_if(stores.store.folders.begin(), stores.store.folders.end(),
                   [](const store::StoreFolder& f) { return f.on_disk.has_value(); });
  ASSERT_NE(folder, stores.store.folders.end());
  EXPECT_TRUE(folder->on_disk->deleted && folder->on_disk->reallocated);
  EXPECT_EQ(stores.store.PathText(0), "Volume 1 (FAT32)");

  // files that name the same blocks again and again, or claim more than their blocks,
  // are copied no further than the image reaches
  file.deleted = file.reallocated = false;
  file.size = uint64_t{1} << 40;
  map.mail_files.assign(3, file);
  for (size_t i = 0; i < 3; ++i) map.mail_files[i].path = "/f" + std::to_string(i) + "/Inbox.dbx";
  std::filesystem::create_directory(dir_.Path() + "/again");
  const ImageStores again = ReadImageStores(*evidence.source, map, dir_.Path() + "/again/", stop_);
  ASSERT_EQ(again.files.size(), 1u);
  EXPECT_EQ(std::filesystem::file_size(again.files[0].copy), size);
  EXPECT_EQ(again.store.notes.size(), 2u);
}

TEST_F(DiskTest, AnImageWithoutFileSystemMapsNothing) {
  testing::Shell("head -c 3000000 /dev/urandom | dd of='" + image_ + "'");
  platform::Evidence evidence = platform::OpenEvidence(image_);
  ASSERT_TRUE(evidence.source);
  const DiskMap map = MapDisk(*evidence.source, stop_);
  EXPECT_TRUE(map.mail_files.empty());
  for (const DiskVolume& volume : map.volumes) EXPECT_EQ(volume.file_system, "");
}

}  // namespace
}  // namespace rescuva::disk
