# Configuration Manager: the discovery script of a configuration item's setting (data type
# String). It writes "Compliant", or the codes of the problems /check finds; the setting's
# compliance rule: the value returned equals "Compliant". The noncompliant value that the
# console reports is then the list of codes.
$program = 'C:\vorlasched\vorlasched.com'
[Console]::OutputEncoding = [Text.Encoding]::UTF8
$text = & $program /check /json 2>$null | Out-String
try { $doc = $text | ConvertFrom-Json } catch { $doc = $null }
if (-not $doc) {
    Write-Output 'no-answer'
} elseif ($doc.exitCode -eq 0) {
    Write-Output 'Compliant'
} else {
    Write-Output (@($doc.problems | ForEach-Object { $_.code } | Sort-Object -Unique) -join ',')
}
