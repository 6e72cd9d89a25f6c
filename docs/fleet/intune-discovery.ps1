# Intune custom compliance: the discovery script. It runs vorlasched's /check with /json on the
# branch machine and prints the flat, compressed JSON that Intune compares with the rules of
# intune-rules.json (beside this file). Add the request switches of your branch to $arguments to
# also compare the maps with what /configure would write.
# VorlaProblemCodes: the problems' codes separated by commas, or "none"; when /check found no
# problem but did not end with 0, the failure's code ("configuration-busy": another run held the
# configuration; "lock-unavailable"); "not-installed" when the Windows Installer package is not
# installed; "no-answer" when the program gave no document.
$arguments = @('/check', '/json')

# The program where the Windows Installer package put it: the folder that the package records as
# InstallDir under HKLM\SOFTWARE\Kelvane\vorlasched, in the 32-bit view (WOW6432Node on 64-bit
# Windows), read alike from 64-bit and 32-bit PowerShell. $null when it is not installed.
function Find-Vorlasched {
    $hklm = [Microsoft.Win32.RegistryKey]::OpenBaseKey([Microsoft.Win32.RegistryHive]::LocalMachine,
                                                       [Microsoft.Win32.RegistryView]::Registry32)
    try {
        $key = $hklm.OpenSubKey('SOFTWARE\Kelvane\vorlasched')
        if ($null -eq $key) { return $null }
        try { $folder = $key.GetValue('InstallDir') } finally { $key.Dispose() }
    } finally { $hklm.Dispose() }
    if (-not ($folder -is [string]) -or $folder -eq '') { return $null }
    $program = Join-Path $folder 'vorlasched.com'
    if (Test-Path -LiteralPath $program -PathType Leaf) { return $program }
    return $null
}

# One argument as the program's command line takes it: quoted when it holds a blank or a quote,
# a quote inside written \", and backslashes before a quote or the end doubled.
function ConvertTo-Argument([string]$Text) {
    if ($Text -ne '' -and $Text -notmatch '[\s"]') { return $Text }
    '"' + (($Text -replace '(\\*)"', '$1$1\"') -replace '(\\+)$', '$1$1') + '"'
}

# Runs the program and reads its output as UTF-8 through the process's own pipes: no console is
# needed, nor its encoding set (where PowerShell has none, setting it throws). Both pipes are
# read at once, so neither fills up while the other waits.
function Invoke-Vorlasched([string]$Program, [string[]]$Arguments) {
    $start = New-Object System.Diagnostics.ProcessStartInfo
    $start.FileName = $Program
    $start.Arguments = (@($Arguments | ForEach-Object { ConvertTo-Argument $_ })) -join ' '
    $start.UseShellExecute = $false
    $start.CreateNoWindow = $true
    $start.RedirectStandardOutput = $true
    $start.RedirectStandardError = $true
    $start.StandardOutputEncoding = [System.Text.Encoding]::UTF8
    $start.StandardErrorEncoding = [System.Text.Encoding]::UTF8
    $process = [System.Diagnostics.Process]::Start($start)
    try {
        $errors = $process.StandardError.ReadToEndAsync()
        $output = $process.StandardOutput.ReadToEnd()
        $process.WaitForExit()
        [pscustomobject]@{ ExitCode = $process.ExitCode; Output = $output; Errors = $errors.Result }
    } finally {
        $process.Dispose()
    }
}

$program = Find-Vorlasched
$doc = $null
$exitCode = -1
if ($program) {
    try {
        $run = Invoke-Vorlasched $program $arguments
        $exitCode = $run.ExitCode
        $doc = $run.Output | ConvertFrom-Json -ErrorAction Stop
    } catch { }
}
if ($doc) {
    $codes = @($doc.problems | ForEach-Object { $_.code })
    if ($codes.Count -eq 0 -and $doc.exitCode -ne 0) {
        $codes = @($doc.messages | Where-Object { $_.kind -eq 'failure' } | ForEach-Object { $_.code })
    }
    $codes = @($codes | Sort-Object -Unique) -join ','
    $hash = @{
        VorlaCheckExitCode = [int64]$doc.exitCode
        VorlaProblemCount  = [int64]@($doc.problems).Count
        VorlaProblemCodes  = $(if ($codes) { $codes } else { 'none' })
        VorlaVersion       = [string]$doc.version
    }
} else {
    $hash = @{
        VorlaCheckExitCode = [int64]$exitCode
        VorlaProblemCount  = [int64]-1
        VorlaProblemCodes  = $(if ($program) { 'no-answer' } else { 'not-installed' })
        VorlaVersion       = '0.0.0.0'
    }
}
return $hash | ConvertTo-Json -Compress
