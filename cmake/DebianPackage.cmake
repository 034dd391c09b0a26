# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright the limbtimer and chordspan authors
# Run by CPack on the staged files before it packs the .deb: adds what Debian wants in every binary package
# (the machine-readable copyright file and the compressed Debian changelog) and the lintian overrides with
# their reasons, and strips the sections dh_strip strips, which CPack's own stripping leaves.
# A plain `cmake --install` stays free of Debian's files.
set(root ${CPACK_TEMPORARY_INSTALL_DIRECTORY})
set(doc ${root}/usr/share/doc/${CPACK_PACKAGE_NAME})
file(MAKE_DIRECTORY ${doc})
file(COPY_FILE ${CPACK_DEBIAN_SOURCE_DIR}/copyright ${doc}/copyright)
# -n leaves the name and time out of the gzip header, so the package builds to the same bytes.
execute_process(COMMAND gzip -9nc ${CPACK_DEBIAN_SOURCE_DIR}/changelog
                OUTPUT_FILE ${doc}/changelog.Debian.gz COMMAND_ERROR_IS_FATAL ANY)
set(overrides ${root}/usr/share/lintian/overrides)
file(MAKE_DIRECTORY ${overrides})
file(COPY_FILE ${CPACK_DEBIAN_SOURCE_DIR}/lintian-overrides ${overrides}/${CPACK_PACKAGE_NAME})
# Policy: files 0644 and folders 0755, whatever the umask of whoever builds.
file(CHMOD ${doc}/copyright ${doc}/changelog.Debian.gz ${overrides}/${CPACK_PACKAGE_NAME}
     PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
file(CHMOD ${doc} ${root}/usr/share/lintian ${overrides} DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
     GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
file(GLOB programs ${root}/usr/bin/*)
foreach(program IN LISTS programs)
  execute_process(COMMAND ${CPACK_DEBIAN_STRIP} --remove-section=.comment --remove-section=.note ${program}
                  COMMAND_ERROR_IS_FATAL ANY)
endforeach()
