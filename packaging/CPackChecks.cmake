# SPDX-FileCopyrightText: The Vivrel developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Read by cpack before it packs. A package is built from an optimised build only.
if(NOT CPACK_VIVREL_BUILD_TYPE MATCHES "^(Release|MinSizeRel|RelWithDebInfo)$")
  message(FATAL_ERROR "cpack: this build is '${CPACK_VIVREL_BUILD_TYPE}', not an optimised one; "
                      "package with scripts/package.sh")
endif()
