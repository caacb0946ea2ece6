# The program's artwork (banner tile, icons, cursor), drawn at build time by
# scripts/gen_art.py, and the test that checks its form.
set(ARTWORK_DIR ${GENERATED_DIR}/art)
set(ARTWORK_GENERATOR ${CMAKE_SOURCE_DIR}/scripts/gen_art.py)
set(ARTWORK_FILES ${ARTWORK_DIR}/banner10.bmp ${ARTWORK_DIR}/icon10.ico ${ARTWORK_DIR}/icon12.ico
                  ${ARTWORK_DIR}/icon13.ico ${ARTWORK_DIR}/cursor11.cur)
add_custom_command(
  OUTPUT ${ARTWORK_FILES}
  COMMAND Python3::Interpreter ${ARTWORK_GENERATOR} ${ARTWORK_DIR}
  DEPENDS ${ARTWORK_GENERATOR}
  COMMENT "Drawing the artwork")
add_custom_target(artwork ALL DEPENDS ${ARTWORK_FILES})

add_test(NAME resources.artwork
         COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/resources/check_art.py
                 ${ARTWORK_DIR})
