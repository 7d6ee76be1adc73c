# Sourced by the install scripts. missing_packages PACKAGE...: prints each package that dpkg
# does not have installed, one per line.
missing_packages() {
  local package status
  for package in "$@"; do
    status=$(dpkg-query -W -f='${Status}\n' "$package" 2>/dev/null || true)
    [[ $status == *"install ok installed"* ]] || echo "$package"
  done
}
