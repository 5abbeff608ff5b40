# bash completion for vellunora-decode: its options, the values some of them take, and as
# arguments folders and "*.$S$" files (the extension in any letter case). Plain compgen, so it
# works with or without the bash-completion package's helpers.

_vellunora_decode() {
  local cur=${COMP_WORDS[COMP_CWORD]} prev=
  ((COMP_CWORD > 0)) && prev=${COMP_WORDS[COMP_CWORD - 1]}
  # "--option=value" arrives as three words, "=" being a word break.
  if [[ $prev == = ]] && ((COMP_CWORD > 1)); then
    prev=${COMP_WORDS[COMP_CWORD - 2]}
  elif [[ $cur == = ]]; then
    prev=${COMP_WORDS[COMP_CWORD - 1]}
    cur=
  fi
  COMPREPLY=()
  local IFS=$'\n'

  case $prev in
    -p | --password-file)
      compopt -o filenames 2>/dev/null
      COMPREPLY=($(compgen -f -- "$cur"))
      return
      ;;
    -o | --output)
      compopt -o filenames 2>/dev/null
      COMPREPLY=($(compgen -d -- "$cur"))
      return
      ;;
    --password-encoding)
      COMPREPLY=($(compgen -W $'auto\nutf-8\ncp932' -- "$cur"))
      return
      ;;
    -j | --jobs)
      return
      ;;
  esac

  # After "--" every word is a file, even one that begins with "-".
  local word options_ended=
  for word in "${COMP_WORDS[@]:1:COMP_CWORD-1}"; do
    [[ $word == -- ]] && options_ended=1
  done
  if [[ -z $options_ended && $cur == -* ]]; then
    local options=(
      -p --password-file --password-encoding -o --output -r --recursive -k --keep -f --force
      -c --stdout -t --test --no-sync -q --quiet -v --verbose -j --jobs -h --help --version --
    )
    COMPREPLY=($(compgen -W "${options[*]}" -- "$cur"))
    return
  fi
  compopt -o filenames 2>/dev/null
  COMPREPLY=($(compgen -d -- "$cur") $(compgen -f -X '!*.[$][Ss][$]' -- "$cur"))
}

complete -F _vellunora_decode vellunora-decode
