# Shared by the demo's wireless stand-ins (sourced, not run). Every stand-in
# reads these environment variables:
#   FROSTPANEL_WIFI_CALLS         file to which each call appends one line: the
#                                 tool's name and its arguments
#   FROSTPANEL_WIFI_HANG          words naming calls that hang instead of
#                                 answering: a tool ("ifup"), or a tool and
#                                 all its arguments joined by commas
#                                 ("iwconfig:wlan0"; "iwconfig:" is the call
#                                 without arguments)
#   FROSTPANEL_WIFI_HANG_SECONDS  how long a hanging call sleeps (600)
#   FROSTPANEL_WIFI_NO_WLAN0      1: there is no interface wlan0
# A hanging call appends "hang <pid>" to the calls file and sleeps as that
# process, so a caller that kills it ends it for good.

standin_name=$(basename "$0")
if [ -n "${FROSTPANEL_WIFI_CALLS:-}" ]; then
    echo "$standin_name $*" >>"$FROSTPANEL_WIFI_CALLS"
fi
standin_args=$(IFS=,; echo "$*")
case " ${FROSTPANEL_WIFI_HANG:-} " in
*" $standin_name "* | *" $standin_name:$standin_args "*)
    if [ -n "${FROSTPANEL_WIFI_CALLS:-}" ]; then
        echo "hang $$" >>"$FROSTPANEL_WIFI_CALLS"
    fi
    exec sleep "${FROSTPANEL_WIFI_HANG_SECONDS:-600}"
    ;;
esac

standin_no_wlan0() {
    [ "${FROSTPANEL_WIFI_NO_WLAN0:-0}" = "1" ]
}

# The wireless client configuration the program writes (user settings).
standin_wifi_conf="${FROSTPANEL_ROOT:-}/home/root/wifi.conf"
