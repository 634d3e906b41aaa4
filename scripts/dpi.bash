# Sourced by the scripts that run the programs at another DPI than 96. They
# use a Wine prefix of their own, build/windows/wineprefix-dpi, so that the
# tests' prefix stays at 96 dpi, on a screen large enough for the mixer at
# 200 %. The DPI of a prefix is HKCU\Control Panel\Desktop\LogPixels; the
# programs read it when the session starts.
#
#   dpi_session DPI    (re)starts the prefix's session at DPI, sets DISPLAY
#                      and a simulated machine of KORVANE_MACHINE (devices=3)
#   dpi_close          drops the hold on the session
dpi_prefix=build/windows/wineprefix-dpi
dpi_wine=(scripts/wine-run --prefix "$dpi_prefix" --driver build/windows/simulator/wdm)
export KORVANE_XVFB_SCREEN=${KORVANE_XVFB_SCREEN:-2400x1800x24}

dpi_session() {
    local dpi=$1
    # The session's own Xvfb, not the display of a session stopped before.
    unset DISPLAY
    "${dpi_wine[@]}" --stop >/dev/null 2>&1
    "${dpi_wine[@]}" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD \
        /d "$dpi" /f >/dev/null 2>&1 || return 1
    "${dpi_wine[@]}" reg add 'HKCC\Software\Fonts' /v LogPixels /t REG_DWORD \
        /d "$dpi" /f >/dev/null 2>&1 || return 1
    "${dpi_wine[@]}" --stop >/dev/null 2>&1
    "${dpi_wine[@]}" --open >/dev/null || return 1
    DISPLAY=$(<"$dpi_prefix.session/display")
    export DISPLAY
    "${dpi_wine[@]}" build/windows/tools/simctl.exe "${KORVANE_MACHINE:-devices=3}" >/dev/null
}

dpi_close() { "${dpi_wine[@]}" --close >/dev/null 2>&1; }
