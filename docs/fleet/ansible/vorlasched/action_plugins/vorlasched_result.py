# Reads the /json document of vorlasched.com: changed from its "changed", a diff from its
# "changes", and a failure with its first failure message. Runs on the controller.
import json

from ansible.plugins.action import ActionBase


def _render(state, key=""):
    """A change's before or after as diff text: a value's data, a file's size and digest, the
    bitmap's header lines, a key's values and the keys below it; empty when the thing is not
    there."""
    if not state:
        return ""
    if "subkeys" in state:
        text = "".join(f"{key}{name} = {_render(value)}" for name, value in state.get("values", {}).items())
        return text + "".join(_render(sub, f"{key}{name}\\") for name, sub in state["subkeys"].items())
    if "lines" in state:
        return "".join(line + "\n" for line in state["lines"])
    if "data" in state:
        data = state["data"]
        lines = data if isinstance(data, list) else [str(data)]
        return "".join(f"{state.get('type', '')}: {line}\n" for line in lines)
    if "sha256" in state:
        return f"size {state.get('size')}, sha256 {state['sha256']}\n"
    return json.dumps(state, ensure_ascii=False, sort_keys=True) + "\n"


def _presence(change, side):
    """A key or a folder itself on the side where it is, so that one made or removed shows as a
    line added or taken away, whatever the document says of its contents."""
    there = {"before": change.get("action") == "removed", "after": change.get("action") != "removed"}[side]
    return f"{change.get('target', '')} {change.get('path', '')}\n" if there else ""


def _side(change, side):
    presence = _presence(change, side) if change.get("target") in ("key", "folder") else ""
    return presence + _render(change.get(side))


def _diff(changes):
    diff = []
    for change in changes:
        where = change.get("path", "") + ("\\" + change["name"] if change.get("name") else "")
        diff.append({
            "before_header": f"{where} ({change.get('action', '')})",
            "after_header": f"{where} ({change.get('action', '')})",
            "before": _side(change, "before"),
            "after": _side(change, "after"),
        })
    return diff


def _first_failure(document):
    for message in document.get("messages", []):
        if message.get("kind") == "failure":
            return f"{message['code']}: {message['text']}"
    for problem in document.get("problems", []):
        return f"{problem['code']}: {problem['text']}"
    return f"vorlasched.com ended with exit code {document.get('exitCode')}"


class ActionModule(ActionBase):
    _supports_check_mode = True
    TRANSFERS_FILES = False

    def run(self, tmp=None, task_vars=None):
        result = super().run(tmp, task_vars)
        run = self._task.args.get("run") or {}  # what the command task registered
        stdout = run.get("stdout") or ""
        try:
            document = stdout if isinstance(stdout, dict) else json.loads(stdout)
        except ValueError:
            result.update(failed=True, changed=False, rc=run.get("rc"),
                          msg="vorlasched.com gave no JSON document: " + (run.get("stderr") or stdout).strip())
            return result
        result["document"] = document
        result["changed"] = bool(document.get("changed"))
        result["diff"] = _diff(document.get("changes", []))
        warnings = [f"{m['code']}: {m['text']}" for m in document.get("messages", []) if m.get("kind") == "warning"]
        if warnings:
            result["warnings"] = warnings
        if document.get("exitCode") != 0:
            result["failed"] = True
            result["msg"] = _first_failure(document)
        return result
