# Writes a C++ file holding the auto-load snapshots as byte arrays:
# cmake -DSNAPSHOT_DIR=... -DOUTPUT=... -P embed_snapshots.cmake
file(GLOB snapshots ${SNAPSHOT_DIR}/zxstate-*.szx)
list(SORT snapshots)
set(arrays "")
set(table "")
foreach(path ${snapshots})
  get_filename_component(name ${path} NAME_WE)
  string(REPLACE "zxstate-" "" id ${name})
  file(READ ${path} hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(APPEND arrays "const std::uint8_t SNAPSHOT_${id}[] = {${bytes}};\n")
  string(APPEND table "    {${id}, SNAPSHOT_${id}, sizeof SNAPSHOT_${id}},\n")
endforeach()
file(WRITE ${OUTPUT}.new
     "// Generated from src/resources/snapshots by cmake/embed_snapshots.cmake.\n"
     "#include \"resources/snapshot_blobs.h\"\n\nnamespace reelbox {\nnamespace {\n${arrays}}  // namespace\n\n"
     "const SnapshotBlob SNAPSHOT_BLOBS[] = {\n${table}};\n"
     "const std::size_t SNAPSHOT_BLOB_COUNT = sizeof SNAPSHOT_BLOBS / sizeof SNAPSHOT_BLOBS[0];\n\n}  // namespace reelbox\n")
file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
