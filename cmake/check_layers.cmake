# Fails when a file of src/${FOLDER} includes a project header of a folder
# outside ${ALLOWED} (the folder itself and the folders it links), naming the
# file, the line and the folders it may reach. Run by the build for each
# folder's library; writes ${STAMP} when every include is allowed.
# Project headers are the quoted includes of the form "<folder>/...".
cmake_policy(VERSION 3.25)
set(bad "")
foreach(file IN LISTS FILES)
  if(file STREQUAL "")
    continue()
  endif()
  file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"[a-z_0-9]+/")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([a-z_0-9]+)/.*" "\\1" reached "${line}")
    if(NOT reached IN_LIST ALLOWED)
      string(APPEND bad "\n  ${file}: ${line}")
    endif()
  endforeach()
endforeach()
if(NOT bad STREQUAL "")
  string(REPLACE ";" ", " allowed_text "${ALLOWED}")
  message(FATAL_ERROR "src/${FOLDER} may include only ${allowed_text}; it includes another folder:${bad}")
endif()
file(WRITE "${STAMP}" "")
