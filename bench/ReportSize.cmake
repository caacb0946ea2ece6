# Prints the size of an executable against its limit:
# cmake -DEXECUTABLE=path -DLIMIT=bytes -P ReportSize.cmake
file(SIZE "${EXECUTABLE}" size)
get_filename_component(name "${EXECUTABLE}" NAME)
message("${name}: ${size} bytes (limit ${LIMIT})")
