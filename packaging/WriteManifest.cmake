# The last step of the install: the list of every file that the install step put in place, this
# list included, one absolute path a line, without DESTDIR. The uninstaller removes what it names.
# Set by the install step before: brevant_manifest (its path, absolute or below the prefix) and
# brevant_manifest_scratch (where the text is put together).

if(NOT IS_ABSOLUTE "${brevant_manifest}")
    set(brevant_manifest "${CMAKE_INSTALL_PREFIX}/${brevant_manifest}")
endif()
set(destdir "$ENV{DESTDIR}")
string(LENGTH "${destdir}" destdir_length)

set(lines "")
set(files ${CMAKE_INSTALL_MANIFEST_FILES})
list(REMOVE_DUPLICATES files)
foreach(file IN LISTS files)
    if(destdir_length GREATER 0)
        string(SUBSTRING "${file}" 0 ${destdir_length} head)
        if(head STREQUAL destdir)
            string(SUBSTRING "${file}" ${destdir_length} -1 file)
        endif()
    endif()
    string(REGEX REPLACE "^//+" "/" file "${file}")
    if(NOT file STREQUAL brevant_manifest)
        string(APPEND lines "${file}\n")
    endif()
endforeach()
string(APPEND lines "${brevant_manifest}\n")

get_filename_component(scratch_dir "${brevant_manifest_scratch}" DIRECTORY)
file(MAKE_DIRECTORY "${scratch_dir}")
file(WRITE "${brevant_manifest_scratch}" "${lines}")
get_filename_component(manifest_dir "${brevant_manifest}" DIRECTORY)
get_filename_component(manifest_name "${brevant_manifest}" NAME)
file(INSTALL DESTINATION "${manifest_dir}" TYPE FILE RENAME "${manifest_name}" FILES "${brevant_manifest_scratch}")
