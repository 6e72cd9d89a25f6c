# Configuration Manager: the discovery script of a configuration item's setting (data type
# String). It runs vorlasched's /check with /json and writes one value for every way that ends;
# the setting's compliance rule: the value returned equals "Compliant". The noncompliant value
# that the console reports then says what is wrong:
#   exit code 0   Compliant
#   exit code 1   the problems' codes, separated by commas; without a problem, the failure's
#                 code (lock-unavailable: the configuration's lock cannot be made)
#   exit code 2   command-line-refused (the switches below are wrong)
#   exit code 5   retry (another run held the configuration; the next evaluation finds it free)
#   other codes   exit-N
#   no document   no-answer (the program did not run, or wrote no JSON)
#   no program    not-installed (the Windows Installer package is not installed)
# Add the request switches of your branch to $arguments to also compare the maps with what
# /configure would write.
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

# The value of one /check document.
function Get-Value($doc) {
    $problems = @($doc.problems | ForEach-Object { $_.code } | Sort-Object -Unique)
    $failures = @($doc.messages | Where-Object { $_.kind -eq 'failure' } | ForEach-Object { $_.code } |
                  Sort-Object -Unique)
    switch ([int]$doc.exitCode) {
        0 { return 'Compliant' }
        1 {
            if ($problems.Count -gt 0) { return $problems -join ',' }
            if ($failures.Count -gt 0) { return $failures -join ',' }
            return 'exit-1'
        }
        2 { return 'command-line-refused' }
        5 { return 'retry' }
        default { return "exit-$($doc.exitCode)" }
    }
}

$program = Find-Vorlasched
if (-not $program) {
    Write-Output 'not-installed'
    return
}
$doc = $null
try { $doc = (Invoke-Vorlasched $program $arguments).Output | ConvertFrom-Json -ErrorAction Stop } catch { }
if (-not $doc) {
    Write-Output 'no-answer'
    return
}
Write-Output (Get-Value $doc)
